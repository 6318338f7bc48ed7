// Pictures: decoding image files (BMP/DIB, PNG, JPEG, TGA, DDS, PPM/PGM, HDR,
// PFM) into RGBA bytes, and writing RGBA bytes as PNG (screenshots in tests
// and tools).
#pragma once
#include <cstdint>

struct Image {
    int      width;
    int      height;
    uint8_t* rgba;       // width * height * 4 bytes, top row first (malloc'd)
};

// Larger sides are refused before decoding, as are pictures of no pixels.
enum { IMAGE_MAX_SIDE = 8192 };

// Opens the file through SysOpenFile, so course-style names such as
// "mesh\Tex.PNG" work. The format is told by the file's first bytes, not
// its name. 1 ok; 0 when missing, damaged or not a readable picture (out is
// then empty).
int  SysLoadImage(const char* nameUtf8, Image* out);
void SysFreeImage(Image* image);
int  SysSavePng(const char* path, const uint8_t* rgba, int width, int height);   // 1 ok

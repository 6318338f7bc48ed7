// Pictures: decoding image files (BMP, PNG, JPEG, TGA) into RGBA bytes, and
// writing RGBA bytes as PNG (screenshots in tests and tools).
#pragma once
#include <cstdint>

struct Image {
    int      width;
    int      height;
    uint8_t* rgba;       // width * height * 4 bytes, top row first (malloc'd)
};

// Opens the file through SysOpenFile, so course-style names such as
// "mesh\Tex.PNG" work. 1 ok; 0 when missing or not a readable picture
// (out is then empty).
int  SysLoadImage(const char* nameUtf8, Image* out);
void SysFreeImage(Image* image);
int  SysSavePng(const char* path, const uint8_t* rgba, int width, int height);   // 1 ok

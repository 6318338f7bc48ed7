// The height-map picture of a course as read from its bitmap file, and the
// height of each of its pixels.
#pragma once
#include <cstddef>
#include <cstdint>

// A height-map bitmap as read, turned into 24-bit pixels whatever its depth,
// in a zero-filled buffer of whole padded rows (a short file leaves zeros).
struct HeightMap {
    int width;            // pixels per row
    int height;           // rows
    int bytesPerPixel;    // 3 after reading
    int stride;           // bytes per padded row
    bool topDown;         // rows stored top row first (negative height)
    uint8_t* pixels;      // stride * height bytes, new[]
};

enum HeightMapResult {
    HEIGHTMAP_OK = 1,
    HEIGHTMAP_NOT_OPENED = 0,     // no message: the caller just fails
    HEIGHTMAP_REFUSED = -1        // bad or unsupported picture; message shown
};
// Past this a course's grid, render vertices and collision tree take most of
// a gigabyte; no sensible course comes near it.
enum { HEIGHTMAP_MAX_SIDE = 2048 };

// Reads uncompressed bitmaps with any header size from the pixel offset the
// file gives: 1-, 4- and 8-bit through their palette, 16- and 32-bit by their
// bit-field masks (5-5-5 and 8-8-8 without), 24-bit as they are. Anything
// else (run-length pixels, an offset outside the file, bad sizes, a cut
// header) is refused with a message.
HeightMapResult ReadHeightMap(const char* pathUtf8, HeightMap* map);
// The same with no message box: a refusal's reason, in the player's
// language, is written to `why` for the caller to show where it belongs.
HeightMapResult ReadHeightMapQuietly(const char* pathUtf8, HeightMap* map, char* why, size_t whySize);
void FreeHeightMap(HeightMap* map);

// Height value of the pixel px columns from the right edge and pz rows from
// the top: the sum of its bytes / 255 * bytes per pixel (0..9 for 24-bit).
float HeightSample(const HeightMap& map, int px, int pz);

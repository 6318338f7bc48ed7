// A real window and device for headless drawing tests, and pixel helpers for
// the 640 x 480 back buffer.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Window, GL context and renderer; 1 when all are up. Safe to call again.
int  OpenTestDevice();
// Renderer released and device shut down, then the window closed.
void CloseTestDevice();

struct Frame {
    std::vector<uint8_t> rgba;   // 640 x 480, top row first
    uint32_t Rgb(int x, int y) const;   // 0xRRGGBB of the pixel
    int      Count(uint32_t rgb) const; // pixels of exactly that colour
};
Frame ReadFrame();
void  SaveFrame(const Frame& frame, const char* path);
// ReadFrame, also saved opaque as KESTRUNE_FRAME_DIR/<name>.png when that
// variable is set (the back buffer's alpha is blended too; a picture of the
// screen is opaque).
Frame KeepFrame(const std::string& name);

// The picture at its own pixel size (a window of any size, filled or not).
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;          // top row first
    uint32_t Rgb(int x, int y) const;   // 0xRRGGBB of the pixel
};
Picture ReadWholePicture();
// The same picture scaled to width x height by averaging whole blocks
// (the size must divide evenly).
Picture ShrinkPicture(const Picture& picture, int width, int height);
void    SavePicture(const Picture& picture, const char* path);   // opaque PNG

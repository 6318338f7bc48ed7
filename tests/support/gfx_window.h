// A real window and device for headless drawing tests, and pixel helpers for
// the 640 x 480 back buffer.
#pragma once
#include <cstdint>
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

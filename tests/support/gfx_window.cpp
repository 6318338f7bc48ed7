#include "support/gfx_window.h"

#include <cstddef>

#include "platform/image.h"
#include "platform/sys.h"
#include "render/device.h"

namespace {
int open;   // the device is up
}

int OpenTestDevice()
{
    if (open)
        return 1;
    if (!SysHasWindow() && !SysCreateWindow("Kestrune test", 640, 480))
        return 0;
    open = InitRenderer();
    return open;
}

void CloseTestDevice()
{
    ReleaseRenderer();
    ShutdownDevice();
    SysDestroyWindow();
    open = 0;
}

uint32_t Frame::Rgb(int x, int y) const
{
    const uint8_t* p = &rgba[(static_cast<size_t>(y) * 640 + x) * 4];
    return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
}

int Frame::Count(uint32_t rgb) const
{
    int count = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            count += Rgb(x, y) == rgb;
    return count;
}

Frame ReadFrame()
{
    Frame frame;
    frame.rgba.assign(640 * 480 * 4, 0);
    ReadBackBuffer(frame.rgba.data());
    return frame;
}

void SaveFrame(const Frame& frame, const char* path)
{
    SysSavePng(path, frame.rgba.data(), 640, 480);
}

#include "support/gfx_window.h"

#include <cstddef>
#include <cstdlib>

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

Frame KeepFrame(const std::string& name)
{
    Frame frame = ReadFrame();
    if (const char* dir = std::getenv("KESTRUNE_FRAME_DIR")) {
        Frame opaque = frame;
        for (size_t i = 3; i < opaque.rgba.size(); i += 4)
            opaque.rgba[i] = 255;
        SaveFrame(opaque, (std::string(dir) + "/" + name + ".png").c_str());
    }
    return frame;
}

uint32_t Picture::Rgb(int x, int y) const
{
    const uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
    return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
}

Picture ReadWholePicture()
{
    Picture picture;
    PictureSize(&picture.width, &picture.height);
    picture.rgba.assign(static_cast<size_t>(picture.width) * picture.height * 4, 0);
    ReadPicture(picture.rgba.data(), picture.width, picture.height);
    return picture;
}

Picture ShrinkPicture(const Picture& big, int width, int height)
{
    Picture small;
    small.width = width;
    small.height = height;
    small.rgba.assign(static_cast<size_t>(width) * height * 4, 0);
    const int bx = big.width / width, by = big.height / height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 4; ++c) {
                int sum = 0;
                for (int j = 0; j < by; ++j)
                    for (int i = 0; i < bx; ++i)
                        sum += big.rgba[((static_cast<size_t>(y) * by + j) * big.width + x * bx + i) * 4 + c];
                small.rgba[(static_cast<size_t>(y) * width + x) * 4 + c] = uint8_t((sum + bx * by / 2) / (bx * by));
            }
    return small;
}

void SavePicture(const Picture& picture, const char* path)
{
    std::vector<uint8_t> opaque = picture.rgba;
    for (size_t i = 3; i < opaque.size(); i += 4)
        opaque[i] = 255;
    SysSavePng(path, opaque.data(), picture.width, picture.height);
}

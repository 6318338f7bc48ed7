#include "render/board_lamps.h"

#include <cmath>
#include <cstdint>

#include "data/extras.h"
#include "render/device.h"
#include "render/sprites.h"
#include "sensor/board.h"

namespace {

const int kDiscSide = 32;
const float kLampSize = 18.0f;
const uint32_t kLitColour = 0xFFFF9020;     // amber, like an indicator lamp
const uint32_t kDarkColour = 0xA0302820;    // an unlit lamp, still visible on any ground

// Column and row of each bit in the 2 x 2 cluster.
const int lampColumn[4] = {0, 0, 1, 1};
const int lampRow[4] = {0, 1, 1, 0};

Texture* disc;   // a soft white disc; made on first use

Texture* LampDisc()
{
    if (disc)
        return disc;
    static uint8_t rgba[kDiscSide * kDiscSide * 4];
    const float centre = (kDiscSide - 1) * 0.5f;
    for (int y = 0; y < kDiscSide; y++) {
        for (int x = 0; x < kDiscSide; x++) {
            float d = std::hypot(x - centre, y - centre);
            float alpha = std::fmin(1.0f, std::fmax(0.0f, centre - d));   // one-pixel soft rim
            uint8_t* p = rgba + 4 * (y * kDiscSide + x);
            p[0] = p[1] = p[2] = 255;
            p[3] = uint8_t(alpha * 255.0f + 0.5f);
        }
    }
    disc = CreateTextureFromPixels(rgba, kDiscSide, kDiscSide);
    return disc;
}

void QueueLamp(Texture* texture, float x, float y, uint32_t colour)
{
    float h = kLampSize * 0.5f;
    SpriteVertex quad[4] = {{x + h, y + h, 0, 1, colour, 1, 1}, {x - h, y + h, 0, 1, colour, 0, 1},
                            {x - h, y - h, 0, 1, colour, 0, 0}, {x + h, y - h, 0, 1, colour, 1, 0}};
    QueueQuad(texture, quad, DEPTH_FRONT);
}

}  // namespace

// In the picture's bottom-left corner, also when a race scene fills the window.
void ScreenLampCentre(int bit, float* x, float* y)
{
    *x = 22.0f + 24.0f * float(lampColumn[bit & 3]) + CurrentPictureSpan().left;
    *y = 434.0f + 24.0f * float(lampRow[bit & 3]);
}

void QueueScreenLamps()
{
    if (BoardConnected() || !extras.lampsShown)
        return;
    Texture* texture = LampDisc();
    int pattern = LedPattern();
    for (int bit = 0; bit < 4; bit++) {
        float x, y;
        ScreenLampCentre(bit, &x, &y);
        QueueLamp(texture, x, y, (pattern >> bit) & 1 ? kLitColour : kDarkColour);
    }
}

void ReleaseScreenLamps()
{
    if (disc)
        ReleaseTexture(disc);
    disc = nullptr;
}

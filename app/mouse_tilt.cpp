// The mouse's share of the tilt sample: while the pointer is captured for
// the race, motion tips the ball the way the mouse moves, and the tilt
// settles back to level once the mouse rests.
#include <cmath>

#include "app/tilt_local.h"
#include "data/extras.h"
#include "platform/sys.h"

namespace {

struct MouseTilt {
    float x, z;          // the tilt now, on the keyboard's scale
    uint32_t time;       // clock of the last sample (ms)
};
MouseTilt mouseTilt;

const float kFull = 20;
// Below this the decay has brought the tilt to level.
const float kLevel = 0.05f;

void Decay(uint32_t now)
{
    uint32_t elapsed = now - mouseTilt.time;
    mouseTilt.time = now;
    if (elapsed == 0)
        return;
    float k = std::exp(-float(elapsed) / kMouseDecayMs);
    mouseTilt.x *= k;
    mouseTilt.z *= k;
    if (std::fabs(mouseTilt.x) < kLevel && std::fabs(mouseTilt.z) < kLevel)
        mouseTilt.x = mouseTilt.z = 0;
}

// Right moves the ball right (-x, as the RIGHT key), away from the player
// (up the screen) moves it forward (-z, as UP); no stronger than a key.
void Move(float dx, float dy)
{
    float scale = kMouseTiltPerPixel * float(extras.mouseSensitivity);
    mouseTilt.x -= dx * scale;
    mouseTilt.z += dy * scale;
    float length = std::sqrt(mouseTilt.x * mouseTilt.x + mouseTilt.z * mouseTilt.z);
    if (length > kFull) {
        mouseTilt.x *= kFull / length;
        mouseTilt.z *= kFull / length;
    }
}

}  // namespace

int SampleMouse(float* x, float* z)
{
    float dx, dy;
    SysTakeMouseMotion(&dx, &dy);
    uint32_t now = SysMilliseconds();
    if (!extras.mouseSteering || !SysMouseCaptured()) {
        mouseTilt = MouseTilt{0, 0, now};
        return 0;
    }
    Decay(now);
    if (dx != 0 || dy != 0)
        Move(dx, dy);
    *x = mouseTilt.x;
    *z = mouseTilt.z;
    return *x != 0 || *z != 0;
}

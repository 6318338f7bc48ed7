// The game pad's share of the tilt sample: the left stick or the pad's own
// tilt (held right shoulder) for x and z, the buttons standing in for the
// board's button and for SHIFT, X and Z, all on the keyboard's scale.
#include <cmath>

#include "app/tilt.h"
#include "app/tilt_local.h"
#include "platform/pad.h"
#include "platform/sys.h"

namespace {

struct PadTilt {
    PadState pad;          // the last reading, refreshed by every sample
    float gravity[3];      // smoothed accelerometer, g
    uint32_t gravityTime;  // clock of the last smoothing step (ms)
    int gravityValid;      // gravity holds readings of the pad now attached
};
PadTilt padTilt;

const uint32_t kMappedButtons = PAD_SOUTH | PAD_EAST | PAD_NORTH | PAD_START |
                                PAD_LEFT_SHOULDER | PAD_RIGHT_SHOULDER;

// Follows the accelerometer with a time constant rather than per call: the
// loop samples many times per frame, and unevenly.
void SmoothGravity(const PadState& pad, uint32_t now)
{
    if (!padTilt.gravityValid) {
        for (int i = 0; i < 3; i++)
            padTilt.gravity[i] = pad.accel[i];
        padTilt.gravityTime = now;
        padTilt.gravityValid = 1;
        return;
    }
    uint32_t elapsed = now - padTilt.gravityTime;
    if (elapsed == 0)
        return;
    float k = 1 - std::exp(-float(elapsed) / kPadSmoothingMs);
    for (int i = 0; i < 3; i++)
        padTilt.gravity[i] += (pad.accel[i] - padTilt.gravity[i]) * k;
    padTilt.gravityTime = now;
}

void StickTilt(const PadState& pad, float* x, float* z)
{
    *x = *z = 0;
    float travel = std::sqrt(pad.stickX * pad.stickX + pad.stickY * pad.stickY);
    if (travel <= kPadStickDeadZone)
        return;
    float ramp = ((travel < 1 ? travel : 1) - kPadStickDeadZone) / (1 - kPadStickDeadZone);
    float scale = kPadFullTilt * ramp / travel;
    // Stick left reads as LEFT (+x), stick up (negative) as UP (-z); "0 -"
    // keeps a centred axis at +0, as the keyboard gives it.
    *x = 0 - pad.stickX * scale;
    *z = pad.stickY * scale;
}

// The direction of gravity only, so shaking the pad does not throw the
// ball harder than tilting it on its side.
void MotionTilt(float* x, float* z)
{
    const float* g = padTilt.gravity;
    float length = std::sqrt(g[0] * g[0] + g[1] * g[1] + g[2] * g[2]);
    *x = *z = 0;
    if (length < 0.25f)
        return;   // no reading yet, or the pad is falling
    *x = g[0] / length * kPadCountsPerG;       // left edge down: +x, as LEFT
    *z = 0 - g[2] / length * kPadCountsPerG;   // far edge down: -z, as UP
}

// The left shoulder, north and east buttons do what SHIFT, X and Z do.
void ApplyButtons(uint32_t buttons, TiltVector* tilt)
{
    tilt->y = 10;
    if (buttons & PAD_LEFT_SHOULDER) {
        tilt->x /= 2;
        tilt->y = 0;
        tilt->z /= 2;
    }
    if (buttons & PAD_NORTH)
        tilt->y = 31;
    else if (buttons & PAD_EAST)
        tilt->y = -32;
}

}  // namespace

int SamplePad(TiltVector* tilt)
{
    PadState& pad = padTilt.pad;
    PadRead(&pad);
    if (!pad.hasMotion)
        padTilt.gravityValid = 0;
    if (!pad.attached)
        return 0;
    if (pad.hasMotion)
        SmoothGravity(pad, SysMilliseconds());
    float x, z;
    if (pad.hasMotion && (pad.buttons & PAD_RIGHT_SHOULDER))
        MotionTilt(&x, &z);
    else
        StickTilt(pad, &x, &z);
    if (x == 0 && z == 0 && !(pad.buttons & kMappedButtons))
        return 0;
    tilt->x = x;
    tilt->z = z;
    ApplyButtons(pad.buttons, tilt);
    return 1;
}

int PadButtonHeld()
{
    return (padTilt.pad.buttons & (PAD_SOUTH | PAD_START)) != 0;
}

// The game pad's share of the tilt sample: the left stick, the pad's own
// tilt (held right shoulder, through its calibration) or the direction
// buttons for x and z, the bound buttons standing in for the board's button
// and for the half tilt, lift and drop, all on the keyboard's scale.
#include <cmath>
#include <cstdio>

#include "app/tilt.h"
#include "app/tilt_local.h"
#include "data/bindings.h"
#include "data/calibration.h"
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

bool Held(uint32_t buttons, int action)
{
    return (buttons & BoundButtons(bindings.action[action])) != 0;
}

// Every button that does something: a held one puts the pad in charge.
uint32_t MappedButtons()
{
    uint32_t bits = PAD_RIGHT_SHOULDER;
    for (const Binding& b : bindings.action)
        bits |= BoundButtons(b);
    return bits;
}

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

// The pad's tilt as the steering reads it, and as the calibration screen's
// meter shows it before calibration.
void CalibratedMotionTilt(const PadState& pad, float* x, float* z)
{
    MotionTilt(x, z);
    TiltSource source = {SOURCE_PAD_MOTION, {}, *x, *z};
    snprintf(source.device, sizeof source.device, "%s", PadDevice(pad.guid).c_str());
    NoteTiltSource(source);
    if (const Calibration* c = FindCalibration(source.device, false))
        CalibrateTilt(*c, x, z);
}

void ButtonTilt(uint32_t buttons, float* x, float* z)
{
    DirectionTilt(Held(buttons, ACTION_TILT_UP), Held(buttons, ACTION_TILT_DOWN),
                  Held(buttons, ACTION_TILT_LEFT), Held(buttons, ACTION_TILT_RIGHT), x, z);
}

// The buttons bound to the half tilt, lift and drop (the left shoulder,
// north and east at first) do what those keys do.
void ApplyButtons(uint32_t buttons, TiltVector* tilt)
{
    tilt->y = 10;
    if (Held(buttons, ACTION_HALF_TILT)) {
        tilt->x /= 2;
        tilt->y = 0;
        tilt->z /= 2;
    }
    if (Held(buttons, ACTION_LIFT))
        tilt->y = 31;
    else if (Held(buttons, ACTION_DROP))
        tilt->y = -32;
}

}  // namespace

int SamplePad(TiltVector* tilt)
{
    PadState& pad = padTilt.pad;
    PadRead(&pad);
    if (!pad.hasMotion) {
        padTilt.gravityValid = 0;
        NoteTiltSource(TiltSource{});
    }
    if (!pad.attached)
        return 0;
    float x, z, motionX = 0, motionZ = 0;
    if (pad.hasMotion) {
        SmoothGravity(pad, SysMilliseconds());
        CalibratedMotionTilt(pad, &motionX, &motionZ);
    }
    if (pad.hasMotion && (pad.buttons & PAD_RIGHT_SHOULDER)) {
        x = motionX;
        z = motionZ;
    } else {
        StickTilt(pad, &x, &z);
    }
    if (x == 0 && z == 0)
        ButtonTilt(pad.buttons, &x, &z);
    if (x == 0 && z == 0 && !(pad.buttons & MappedButtons()))
        return 0;
    tilt->x = x;
    tilt->z = z;
    ApplyButtons(pad.buttons, tilt);
    return 1;
}

int PadButtonHeld()
{
    return Held(padTilt.pad.buttons, ACTION_CONFIRM);
}

uint32_t PadButtonsNow()
{
    return padTilt.pad.buttons;
}

void DirectionTilt(bool up, bool down, bool left, bool right, float* x, float* z)
{
    *x = left ? 20 : right ? -20 : 0;
    *z = up ? -20 : down ? 20 : 0;
    if (*x != 0 && *z != 0) {
        *x /= 2;
        *z /= 2;
    }
}

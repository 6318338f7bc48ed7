// The tilt sampler: the board's acceleration bytes when it is connected, a
// game pad in use, else the keys bound to the tilts, the half tilt, lift and
// drop, with the mouse where no tilt key is held; all on one scale.
#include "app/tilt.h"

#include <cstdio>

#include "app/tilt_local.h"
#include "data/bindings.h"
#include "data/calibration.h"
#include "data/extras.h"
#include "platform/sys.h"
#include "sensor/board.h"

namespace {

// A held key's tilt on each axis grows over the ramp time (extras.keyRamp).
struct KeyRamp {
    float fraction[2];   // x, z: how far the held direction has ramped, 0..1
    int sign[2];         // the direction held at the last sample: -1, 0, +1
    uint32_t time;       // clock of the last keyboard sample (ms)
};
KeyRamp keyRamp;

const uint32_t kLongestRampStepMs = 50;

// Negation in 8 bits, as the board's readings are: -128 stays -128.
float NegatedReading(uint8_t raw)
{
    return float(int8_t(uint8_t(0u - raw)));
}

float Reading(uint8_t raw)
{
    return float(int8_t(raw));
}

bool KeysHeld(int action)
{
    for (int32_t key : bindings.action[action].keys)
        if (key != KEYCODE_NONE && SysKeyCodeDown(key))
            return true;
    return false;
}

float RampAxis(int axis, float value, float step)
{
    int sign = value > 0 ? 1 : value < 0 ? -1 : 0;
    if (sign != keyRamp.sign[axis])
        keyRamp.fraction[axis] = 0;
    keyRamp.sign[axis] = sign;
    if (sign == 0)
        return value;
    keyRamp.fraction[axis] += step;
    if (keyRamp.fraction[axis] > 1)
        keyRamp.fraction[axis] = 1;
    // Not -0 on the first instant: the lamps read the push's direction.
    return keyRamp.fraction[axis] > 0 ? value * keyRamp.fraction[axis] : 0;
}

// A tap gives a small tilt, a held key a full one; letting go or turning
// round starts again from level.
void RampKeys(TiltVector* tilt)
{
    uint32_t now = SysMilliseconds();
    uint32_t elapsed = now - keyRamp.time;
    keyRamp.time = now;
    if (extras.keyRamp <= 0)
        return;
    if (elapsed > kLongestRampStepMs)
        elapsed = kLongestRampStepMs;   // the keyboard was not read for a while
    float step = float(elapsed) / (float(extras.keyRamp) * 50.0f);
    tilt->x = RampAxis(0, tilt->x, step);
    tilt->z = RampAxis(1, tilt->z, step);
}

void SampleKeyboard(TiltVector* tilt, bool mouse, float mouseX, float mouseZ)
{
    tilt->y = 20;
    if (KeysHeld(ACTION_TILT_UP))
        tilt->z = -20;
    else if (KeysHeld(ACTION_TILT_DOWN))
        tilt->z = 20;
    if (KeysHeld(ACTION_TILT_LEFT))
        tilt->x = 20;
    else if (KeysHeld(ACTION_TILT_RIGHT))
        tilt->x = -20;
    bool half = KeysHeld(ACTION_HALF_TILT);
    if (half) {
        tilt->y = 0;
        tilt->x /= 2;
        tilt->z /= 2;
    } else {
        tilt->y /= 2;
    }
    // Diagonals at half strength on each axis.
    if (tilt->x != 0 && tilt->z != 0) {
        tilt->x /= 2;
        tilt->z /= 2;
    }
    RampKeys(tilt);
    if (mouse && tilt->x == 0 && tilt->z == 0) {
        tilt->x = half ? mouseX / 2 : mouseX;
        tilt->z = half ? mouseZ / 2 : mouseZ;
    }
    if (KeysHeld(ACTION_LIFT))
        tilt->y = 31;
    else if (KeysHeld(ACTION_DROP))
        tilt->y = -32;
}

void SampleBoard(TiltVector* tilt)
{
    tilt->x = NegatedReading(BoardDataByte(6));
    tilt->y = Reading(BoardDataByte(8));
    tilt->z = NegatedReading(BoardDataByte(7));
    TiltSource source = {SOURCE_BOARD, {}, tilt->x, tilt->z};
    snprintf(source.device, sizeof source.device, "%s", kBoardDevice);
    NoteTiltSource(source);
    if (const Calibration* c = FindCalibration(kBoardDevice, false))
        CalibrateTilt(*c, &tilt->x, &tilt->z);
}

}  // namespace

int SampleTilt(TiltVector* tilt)
{
    tilt->x = tilt->y = tilt->z = 0;
    float mouseX, mouseZ;
    bool mouse = SampleMouse(&mouseX, &mouseZ) != 0;
    if (BoardConnected()) {
        SampleBoard(tilt);
        return 1;
    }
    if (SamplePad(tilt))
        return 1;
    SampleKeyboard(tilt, mouse, mouseX, mouseZ);
    return 1;
}

int ActionHeld(int action)
{
    if (action < 0 || action >= ACTION_COUNT)
        return 0;
    if (KeysHeld(action))
        return 1;
    return !BoardConnected() && (PadButtonsNow() & BoundButtons(bindings.action[action])) != 0;
}

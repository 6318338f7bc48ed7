// The tilt sampler: the board's acceleration bytes when it is connected, a
// game pad in use, the arrow keys, SHIFT, X and Z otherwise, on one scale.
#include "app/tilt.h"
#include "app/tilt_local.h"
#include "platform/sys.h"
#include "sensor/board.h"

namespace {

// Negation in 8 bits, as the board's readings are: -128 stays -128.
float NegatedReading(uint8_t raw)
{
    return float(int8_t(uint8_t(0u - raw)));
}

float Reading(uint8_t raw)
{
    return float(int8_t(raw));
}

void SampleKeyboard(TiltVector* tilt)
{
    tilt->y = 20;
    if (SysKeyDown(KEY_UP))
        tilt->z = -20;
    else if (SysKeyDown(KEY_DOWN))
        tilt->z = 20;
    if (SysKeyDown(KEY_LEFT))
        tilt->x = 20;
    else if (SysKeyDown(KEY_RIGHT))
        tilt->x = -20;
    if (SysKeyDown(KEY_SHIFT)) {
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
    if (SysKeyDown(KEY_X))
        tilt->y = 31;
    else if (SysKeyDown(KEY_Z))
        tilt->y = -32;
}

}  // namespace

int SampleTilt(TiltVector* tilt)
{
    tilt->x = tilt->y = tilt->z = 0;
    if (BoardConnected()) {
        tilt->x = NegatedReading(BoardDataByte(6));
        tilt->y = Reading(BoardDataByte(8));
        tilt->z = NegatedReading(BoardDataByte(7));
        return 1;
    }
    if (SamplePad(tilt))
        return 1;
    SampleKeyboard(tilt);
    return 1;
}

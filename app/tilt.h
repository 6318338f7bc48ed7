// The tilt sampler: fills x, y, z of the TiltVector from the board or keyboard.
#pragma once
#include "app/game.h"

int SampleTilt(TiltVector* tilt);

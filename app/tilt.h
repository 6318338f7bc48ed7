// The tilt sampler: fills x, y, z of the TiltVector from the board, a game
// pad or the keyboard, in that order of precedence.
#pragma once
#include "core/game.h"

int SampleTilt(TiltVector* tilt);
// The pad's south or start button, as the last sample without a board read
// it: the board's button for pad players, beside SPACE.
int PadButtonHeld();

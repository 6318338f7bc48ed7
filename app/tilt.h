// The tilt sampler: fills x, y, z of the TiltVector from the board, a game
// pad or the keyboard and mouse, in that order of precedence, through the
// player's bindings and calibration.
#pragma once
#include "core/game.h"

int SampleTilt(TiltVector* tilt);
// The pad's buttons bound to Confirm, as the last sample without a board
// read them: the board's button for pad players, beside the keys.
int PadButtonHeld();
// Any of the action's keys held now, or (without a board) any of its pad
// buttons as the last sample read them. `action` is an Action.
int ActionHeld(int action);

// What the tilt sampler's files (tilt.cpp, pad_tilt.cpp) and their tests
// share: the pad's part of the sample and its scale.
#pragma once
#include "core/game.h"

// Full deflection of the left stick gives the keyboard's full tilt.
const float kPadFullTilt = 20;
// Stick travel (radial, 0..1) that reads as no tilt; past it the tilt
// ramps linearly up to kPadFullTilt.
const float kPadStickDeadZone = 0.25f;
// Motion steering: one g across the pad is 32 counts, so about 39 degrees
// of tilt is the keyboard's full 20.
const float kPadCountsPerG = 32;
// Time constant of the smoothing of motion readings (about three frames):
// a one-frame jolt moves the tilt by a quarter, a steady tilt is through
// in a quarter of a second.
const float kPadSmoothingMs = 48;

// 1 with x, y, z filled when the pad is in use this pass (attached, and
// its stick past the dead zone or a button held); 0, tilt untouched, when
// the keyboard should be read instead.
int SamplePad(TiltVector* tilt);

// What the tilt sampler's files (tilt.cpp, pad_tilt.cpp, mouse_tilt.cpp)
// and their tests share: the pad's and the mouse's parts of the sample and
// their scales.
#pragma once
#include <cstdint>

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
// its stick past the dead zone or a bound button held); 0, tilt untouched,
// when the keyboard should be read instead.
int SamplePad(TiltVector* tilt);
// The buttons the last pad sample read.
uint32_t PadButtonsNow();
// The pad's direction buttons as the keyboard's arrows read: 20 a way,
// diagonals at half on each axis.
void DirectionTilt(bool up, bool down, bool left, bool right, float* x, float* z);

// Mouse steering: each pixel of motion tilts by kMouseTiltPerPixel times
// the sensitivity (5 by default: 100 pixels is a full tilt), up to the
// keyboard's full 20; at rest the tilt decays to level with this time
// constant.
const float kMouseTiltPerPixel = 0.04f;
const float kMouseDecayMs = 200;
// Takes the mouse's motion since the last sample (every pass, so none piles
// up while another device steers). 1 with x, z filled while the mouse
// steers: the option on, the pointer captured for the race, a tilt not yet
// decayed to level.
int SampleMouse(float* x, float* z);

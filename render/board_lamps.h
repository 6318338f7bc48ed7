// The board's four direction lamps drawn on screen for players without the
// board, in the board's own layout: bit 0 top left, bit 1 bottom left,
// bit 2 bottom right, bit 3 top right.
#pragma once

// Queues the lamps over everything in the bottom-left corner when no board
// is connected and the player has not hidden them (F7). The caller flushes.
void QueueScreenLamps();
void ReleaseScreenLamps();   // the lamp picture; before the device goes

// Centre of lamp `bit` in back-buffer pixels (tests read pixels there).
void ScreenLampCentre(int bit, float* x, float* y);

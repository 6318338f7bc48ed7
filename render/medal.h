// A medal as every screen draws it: the course map's ball icon in the
// medal's colour, with its name in the player's language when asked.
#pragma once
#include <cstdint>

#include "render/sprites.h"

uint32_t MedalColour(int medal);   // ARGB; 0 for no medal
// The disc centred at (x, y), `size` pixels across; nothing for no medal.
void QueueMedal(int medal, float x, float y, float size, int32_t depth = DEPTH_SPRITE);
// "Gold", "Silver", "Bronze" in the player's language; "" for no medal.
const char* MedalName(int medal);

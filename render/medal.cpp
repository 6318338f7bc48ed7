#include "render/medal.h"

#include "data/par.h"
#include "data/texts.h"

namespace {

const int32_t kMapIconSheet = 9;   // cell 0: a shaded disc with a dark rim

}  // namespace

uint32_t MedalColour(int medal)
{
    switch (medal) {
    case MEDAL_GOLD: return 0xFFFFC930u;
    case MEDAL_SILVER: return 0xFFC8D0DAu;
    case MEDAL_BRONZE: return 0xFFD08A4Cu;
    default: return 0;
    }
}

void QueueMedal(int medal, float x, float y, float size, int32_t depth)
{
    if (medal == MEDAL_NONE)
        return;
    DrawSprite(kMapIconSheet, 0, MedalColour(medal), 0, depth, 0, x, y, size, size);
}

const char* MedalName(int medal)
{
    switch (medal) {
    case MEDAL_GOLD: return Tr(TEXT_MEDAL_GOLD);
    case MEDAL_SILVER: return Tr(TEXT_MEDAL_SILVER);
    case MEDAL_BRONZE: return Tr(TEXT_MEDAL_BRONZE);
    default: return "";
    }
}

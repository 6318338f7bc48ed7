// What every menu screen shares: the tilt and button latches, the cursor
// pulse and the white background.
#include <cmath>

#include "data/sounds.h"
#include "render/sprite_sheets.h"
#include "render/sprites.h"
#include "render/text.h"
#include "screens/screens_local.h"
#include "sensor/board.h"

MenuLatches menuLatches;

void MenuSound(MenuSoundKind kind)
{
    switch (kind) {
    case MENU_SOUND_MOVE:
        RaiseBoardCue(CueClick);
        PlaySound(SOUND_MENU_MOVE, 1.0f);
        break;
    case MENU_SOUND_CONFIRM:
        RaiseBoardCue(CueConfirm);
        PlaySound(SOUND_MENU_CONFIRM, 1.0f);
        break;
    case MENU_SOUND_BACK:
        RaiseBoardCue(CueConfirm);
        PlaySound(SOUND_MENU_BACK, 1.0f);
        break;
    case MENU_SOUND_TICK:
        RaiseBoardCue(CueTick);
        break;
    }
}

namespace {

// Back inside +-3 re-arms an axis; the return itself ticks the board and
// darkens the lamps that showed the move.
void RearmAxis(float value, int* latch)
{
    if (std::fabs(value) >= 3)
        return;
    if (*latch) {
        SetLedPattern(0);
        MenuSound(MENU_SOUND_TICK);
    }
    *latch = 0;
}

}  // namespace

void RearmTilt(const TiltVector& tilt)
{
    RearmAxis(tilt.x, &menuLatches.xLatch);
    RearmAxis(tilt.z, &menuLatches.zLatch);
    if (!tilt.button)
        menuLatches.confirmLatch = 0;
}

bool RearmListCursor(ListCursor* cursor, const TiltVector& tilt)
{
    if (!tilt.button)
        cursor->buttonLatch = 0;
    bool xNeutral = tilt.x > -3 && tilt.x < 3;
    if (xNeutral) {
        if (cursor->xLatch)
            MenuSound(MENU_SOUND_TICK);
        cursor->xLatch = 0;
    }
    if (tilt.z > -3 && tilt.z < 3) {
        if (cursor->zLatch)
            MenuSound(MENU_SOUND_TICK);
        cursor->zLatch = 0;
        cursor->holdCounter = 0;
    }
    return xNeutral;
}

bool MoveListRow(ListCursor* cursor, const TiltVector& tilt, int rowCount)
{
    if (cursor->holdCounter > 0)
        cursor->holdCounter--;
    if (cursor->zLatch && cursor->holdCounter > 0)
        return false;
    int by = tilt.z >= 7 ? +1 : tilt.z <= -7 ? -1 : 0;
    if (by == 0)
        return false;
    SetLedPattern(by > 0 ? 6 : 9);
    cursor->row = (cursor->row + by + rowCount) % rowCount;
    cursor->holdCounter = kListHoldFrames;
    cursor->zLatch = 1;
    MenuSound(MENU_SOUND_MOVE);
    return true;
}

int TakeSideStep(ListCursor* cursor, const TiltVector& tilt)
{
    int by = tilt.x >= 7 ? -1 : tilt.x <= -7 ? +1 : 0;
    if (by == 0)
        return 0;
    SetLedPattern(by < 0 ? 3 : 12);
    cursor->xLatch = 1;
    return by;
}

void DrawWhiteBackground()
{
    DrawSprite(SHEET_NONE, 0, 0xFFFFFFFF, 0, DEPTH_BACKGROUND, 0, 320, 240, 640, 480);
}

LetteredRow LayoutOfRow(int sheet, int screenCells, float screenWidth, float height)
{
    const SpriteSheet* row = UseSheet(sheet);   // its cells' shape comes from its picture
    if (!row || row->cells <= 0)
        return {screenCells, screenWidth, false};
    return {row->cells, height * row->cellAspect, true};
}

float CursorPulse(int counter, float side)
{
    int phase = ((counter % 30) + 30) % 30;
    return std::sin(phase / 30.0f * kPi) * side / 7;
}

void QueueMenuText(const char* utf8, float x, float y, int align, int fontHeight)
{
    QueueText(utf8, x + 1.5f, y + 1.5f, fontHeight, 0xCCB8C4D8u, align);
    QueueText(utf8, x, y, fontHeight, kMenuInk, align);
}

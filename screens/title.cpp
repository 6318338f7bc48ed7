// The title screen: twelve letters fly in, a panel opens on three entries
// (course select, options, exit), a forward/back tilt moves the cursor and
// the button confirms; the letters then spin out and the state changes.
// Under the panel, the medals the player holds, by kind.
#include <cstdio>

#include "data/course_list.h"
#include "data/par.h"
#include "data/texts.h"
#include "render/medal.h"
#include "render/sprites.h"
#include "render/text.h"
#include "screens/screens.h"
#include "screens/screens_local.h"
#include "sensor/board.h"

namespace {

enum TitlePhase {
    TITLE_LETTERS_IN = 0,
    TITLE_MENU = 1,
    TITLE_LEAVING = 3
};

enum TitleEntry {
    ENTRY_COURSE_SELECT = 0,
    ENTRY_OPTIONS = 1,
    ENTRY_EXIT = 2
};

struct TitleScreen {
    int phase;         // TitlePhase
    int menuChoice;    // TitleEntry under the cursor
    int holdCounter;   // frames a held tilt waits before it moves again
    int holdFlag;      // set by a move until the tilt comes back to neutral
    MenuPanel panel;   // the window around the three entries
};
TitleScreen title;

const int kLettersPerRow = 6;
const float kLetterSide = 64;
const float kEntryWidth = 60;
const float kEntryHeight = 36;
const int kFlyInFrames = 60;
const int kLeaveFrames = 40;
const int kHoldFrames = 30;

// One row of letters. A row laid out from its sheet is centred where the
// classic six letters stand (their middle at `centre`).
void DrawLetterRow(int sheet, float at, float spin, float offset, float y, float centre)
{
    LetteredRow row = LayoutOfRow(sheet, kLettersPerRow, kLetterSide, kLetterSide);
    float w = row.cellWidth;
    float shift = row.fromSheet ? centre - 160 - offset - w * (row.cells - 1) / 2 : 0;
    for (int j = 0; j < row.cells; j++) {
        float o = w * j;
        float t = (o + w) * 2 * (1 - at) + o + (672 - 512 * at) + shift;
        float angle = (j + 8) * at * 2 * kPi * spin;
        DrawSprite(sheet, j, 0xFFFFFFFF, angle, DEPTH_SPRITE, 0, t + offset, y, w, kLetterSide);
    }
}

// at 1: every letter at rest; towards 0 the letters lie further right and
// turn more. spin gives the direction of the upper row; the lower row turns
// the other way.
void DrawLetters(float at, float spin)
{
    DrawLetterRow(SHEET_TITLE_TOP, at, spin, -32, 60, 288);
    DrawLetterRow(SHEET_TITLE_BOTTOM, at, -spin, 32, 124, 352);
}

// The entries' width comes from their sheet where it gives the layout; the
// cursor keeps its distance from the entries' left edge.
void DrawEntries()
{
    float w = LayoutOfRow(SHEET_TITLE_ENTRIES, 3, kEntryWidth, kEntryHeight).cellWidth;
    for (int i = 0; i < 3; i++)
        DrawSprite(SHEET_TITLE_ENTRIES, i, 0xFFFFFFFF, 0, DEPTH_SPRITE, 0, 320, 259 + 37.0f * i, w, kEntryHeight);
    float side = 36 - CursorPulse(menuLatches.frameCounter, 36);
    DrawSprite(SHEET_CURSOR, 1, 0xFFFFFFFF, 0, DEPTH_SPRITE, 0,
               320 - w / 2 - 18, 37.0f * title.menuChoice + 259, side, side);
}

void LettersIn(const TiltVector& tilt)
{
    float l = menuLatches.frameCounter / float(kFlyInFrames);
    if (tilt.button)
        title.phase = TITLE_MENU;   // skipped; this frame's letters still show
    DrawLetters(l, -1);
    if (menuLatches.frameCounter++ >= kFlyInFrames)
        title.phase = TITLE_MENU;
}

// After a move the cursor waits: for the tilt to come back inside +-3 (which
// re-arms it at once) or for the hold to run out (a held tilt repeats).
void WaitAfterMove(const TiltVector& tilt)
{
    if (tilt.z >= -3 && tilt.z <= 3) {
        title.holdFlag = 0;
        SetLedPattern(0);
        MenuSound(MENU_SOUND_TICK);
    }
    if (--title.holdCounter == 0)
        SetLedPattern(0);
}

void Move(int by, int lamps)
{
    title.menuChoice += by;
    if (title.menuChoice < 0)
        title.menuChoice = 2;
    if (title.menuChoice > 2)
        title.menuChoice = 0;
    title.holdCounter = kHoldFrames;
    title.holdFlag = 1;
    SetLedPattern(lamps);
    MenuSound(MENU_SOUND_MOVE);
}

void TakeInput(const TiltVector& tilt)
{
    if (title.holdCounter != 0 && title.holdFlag) {
        WaitAfterMove(tilt);
        return;
    }
    if (tilt.z >= 7)
        Move(+1, 6);
    else if (tilt.z <= -7)
        Move(-1, 9);
    if (tilt.button) {
        title.phase = TITLE_LEAVING;
        title.panel.phase = PANEL_CLOSING;
        menuLatches.frameCounter = 0;
        MenuSound(MENU_SOUND_CONFIRM);
    }
}

bool AnyPar()
{
    for (int i = 0; i < courseList.courseCount; i++)
        if (courseList.courses[i].parTimeMs) return true;
    return false;
}

// "Medals  (gold) x 2  (silver) x 0  (bronze) x 1", centred under the panel;
// nothing when no course has a par.
void DrawMedalCounts()
{
    if (!AnyPar())
        return;
    const MedalCounts counts = CountMedals();
    const int held[3] = {counts.gold, counts.silver, counts.bronze};
    const int kinds[3] = {MEDAL_GOLD, MEDAL_SILVER, MEDAL_BRONZE};
    const float y = 404, disc = 26, slot = 86;
    const char* label = Tr(TEXT_TITLE_MEDALS);
    float left = 320 - (TextWidth(label, 24) + 16 + 3 * slot) / 2;
    QueueMenuText(label, left, y, TEXT_LEFT);
    left += TextWidth(label, 24) + 16;
    for (int i = 0; i < 3; i++, left += slot) {
        char count[16];
        snprintf(count, sizeof count, "\u00D7 %d", held[i]);
        QueueMedal(kinds[i], left + disc / 2, y, disc);
        QueueMenuText(count, left + disc + 6, y, TEXT_LEFT);
    }
}

void Menu(const TiltVector& tilt)
{
    DrawLetters(1, 0);
    DrawMedalCounts();
    UpdateMenuPanel(&title.panel);
    menuLatches.frameCounter++;
    if (title.panel.phase == PANEL_OPEN) {
        DrawEntries();
        TakeInput(tilt);
    }
    DrawMenuPanel(&title.panel);
}

void SwitchToChoice()
{
    switch (title.menuChoice) {
    case ENTRY_COURSE_SELECT:
        game.state = STATE_COURSE_SELECT;
        ResetCourseSelect();
        break;
    case ENTRY_OPTIONS:
        game.state = STATE_OPTIONS;
        ResetOptions();
        break;
    default:
        game.state = STATE_EXIT;
        break;
    }
}

// The letters spin back out the way they came; choosing exit also fades the
// screen to black before the program ends.
void Leaving()
{
    float m = 1 - menuLatches.frameCounter / float(kLeaveFrames);
    DrawLetters(m, +1);
    if (menuLatches.frameCounter < kLeaveFrames)
        menuLatches.frameCounter++;
    else
        SwitchToChoice();
    UpdateMenuPanel(&title.panel);
    DrawMenuPanel(&title.panel);
    if (title.menuChoice == ENTRY_EXIT) {
        uint32_t alpha = 255 - uint32_t(255 * m);
        DrawSprite(SHEET_NONE, 0, alpha << 24, 0, DEPTH_FRONT, 0, 320, 240, 640, 480);
    }
}

}  // namespace

void ResetTitle()
{
    title.phase = TITLE_LETTERS_IN;
    title.menuChoice = ENTRY_COURSE_SELECT;
    title.holdCounter = 0;
    title.holdFlag = 0;
    menuLatches.frameCounter = 0;
    // 0.1 per frame: ten frames of height, then ten of width.
    InitMenuPanel(&title.panel, 170, 240, 470, 351, 8, 10);
}

void UpdateTitle(const TiltVector& tilt)
{
    DrawWhiteBackground();
    switch (title.phase) {
    case TITLE_LETTERS_IN: LettersIn(tilt); break;
    case TITLE_LEAVING: Leaving(); break;
    default: Menu(tilt); break;
    }
}

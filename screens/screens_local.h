// What the menus of the screens share: the tilt and button latches of the
// race menus and course select, the frame counter that drives every cursor's
// pulse, and the small drawing helpers they all use.
#pragma once
#include "core/game.h"

struct MenuLatches {
    int frameCounter;   // +1 every menu frame; the cursor pulse (title, race menus, course select)
    int zLatch;         // a forward/back move was taken; cleared back inside +-3
    int xLatch;         // the same for left/right
    int confirmLatch;   // set when a menu opens; cleared on a frame with the button up
};
extern MenuLatches menuLatches;

// A menu's sound: the board's cue, and from the speakers the menu's own
// effect for a move, a confirm or a step back. The tick of a tilt coming
// back to neutral is the board's alone.
enum MenuSoundKind { MENU_SOUND_MOVE, MENU_SOUND_CONFIRM, MENU_SOUND_BACK, MENU_SOUND_TICK };
void MenuSound(MenuSoundKind kind);

// Start of every menu frame: a tilt back inside +-3 re-arms its axis (with a
// tick and the lamps off), a released button re-arms the confirm.
void RearmTilt(const TiltVector& tilt);

// The cursor of a list screen (more settings, controls, calibration): its
// row, and the latches that make one tilt one step.
struct ListCursor {
    int row;
    int holdCounter;   // frames a held forward/back tilt waits before it repeats
    int xLatch;        // a left/right move was taken; cleared back inside +-3
    int zLatch;        // the same for forward/back
    int buttonLatch;   // set on entry and by every press; cleared with the button up
};
const int kListHoldFrames = 30;
// Start of a list screen's frame: a released button re-arms the confirm,
// and each axis back inside +-3 re-arms with a tick. True while left/right
// is inside +-3.
bool RearmListCursor(ListCursor* cursor, const TiltVector& tilt);
// Forward/back moves the row, wrapping over rowCount, and again after each
// hold while it is held; true when it moved.
bool MoveListRow(ListCursor* cursor, const TiltVector& tilt, int rowCount);
// Left/right taken as one step: -1 left, +1 right, 0 neither; a step lights
// its side's lamps and sets the x latch. The caller checks its latch first.
int  TakeSideStep(ListCursor* cursor, const TiltVector& tilt);

// The sheets the screens draw from.
enum ScreenSheet {
    SHEET_NONE = -1,            // plain colour
    SHEET_OPTIONS_HEADING = 0,  // three letters, 64 x 64
    SHEET_TITLE_ENTRIES = 4,    // course select, options, exit
    SHEET_CURSOR = 6,           // frame 1: the pulsing cursor
    SHEET_RACE_MENU = 11,       // resume, retry, course select, title
    SHEET_OPTION_ROWS = 16,     // the five row labels
    SHEET_OPTION_VALUES = 17,   // three preset names per row
    SHEET_TITLE_TOP = 18,       // upper row of title letters
    SHEET_TITLE_BOTTOM = 19     // lower row
};

const float kPi = 3.14159265f;

// How a lettered row of a sheet is laid out: the screen's own cell count and
// width, or, where the sheet says how many cells it holds (a language whose
// words need another layout), that count with widths of the picture's cell
// shape at the height shown.
struct LetteredRow {
    int cells;
    float cellWidth;
    bool fromSheet;      // the sheet gave the layout
};
LetteredRow LayoutOfRow(int sheet, int screenCells, float screenWidth, float height);

// The white quad behind a whole screen.
void DrawWhiteBackground();

// Menu words drawn as text rather than lettered sheets (rows added after the
// classic ones, every word of the more settings): the sheets' ink with their
// faint shadow, in the player's language.
const uint32_t kMenuInk = 0xFF1E2A44u;
void QueueMenuText(const char* utf8, float x, float y, int align, int fontHeight = 24);

// Back from the more settings: the options screen with its cursor on the
// row that led there.
void ReturnToOptions();
// How much a cursor of side `side` shrinks at menu frame `counter`: a
// sine pulse over 30 frames, at most a seventh of the side.
float CursorPulse(int counter, float side);

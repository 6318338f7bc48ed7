// The controls screen: every action with its two keys and two pad buttons.
// Forward/back chooses the action, left/right the box; the button starts a
// rebinding and the next key (or pad button, in a pad box) pressed goes
// there. A key another action holds is swapped with this box's old key,
// unless that would leave the other action without any key: then it is
// refused and the message says why. Each change is saved at once.
#include <cstdio>
#include <cstring>

#include "data/bindings.h"
#include "data/texts.h"
#include "platform/keycodes.h"
#include "platform/pad.h"
#include "platform/sys.h"
#include "render/sprites.h"
#include "render/text.h"
#include "screens/screens.h"
#include "screens/screens_local.h"
#include "sensor/board.h"

namespace {

const int kDefaultsRow = ACTION_COUNT;
const int kBackRow = ACTION_COUNT + 1;
const int kRowCount = ACTION_COUNT + 2;
const int kColumns = kKeySlots + kButtonSlots;    // two key boxes, then two pad boxes

const float kFirstRowY = 100;
const float kRowGap = 24;
const float kLabelX = 40;
const float kColumnX[kColumns] = {282, 376, 474, 568};
// A name as wide as its box still leaves a gap to the next box's name.
const float kBoxWidth = 92;
const int kFontHeight = 18;
const int kSmallestFontHeight = 10;
const int kCaptureFrames = 10 * 62;   // ten seconds to press the new key
const uint32_t kBoxInk = 0xFFDCE6F5u;
const uint32_t kCaptureInk = 0xFFFFE9A8u;
const uint32_t kConflictInk = 0xFFC0282Du;
const uint32_t kDimInk = 0xFF6A7488u;

enum ControlsPhase {
    CONTROLS_CHOOSING,
    CONTROLS_CAPTURING   // waiting for the new key or button
};

struct ControlsScreen {
    ListCursor cursor;              // the row (an Action, then defaults, back) and its latches
    int phase;                      // ControlsPhase
    int column;                     // 0, 1 key boxes; 2, 3 pad boxes
    int settle;                     // after a rebinding: no move until the tilt is back at neutral
    int frameCounter;               // +1 every frame: the cursor's pulse
    int captureFrames;              // frames left to press the new key
    uint32_t keyPresses[KEYCODE_COUNT]; // while capturing: each key's press count at the start
    uint32_t buttonsWereDown;       // the same for the pad's buttons
    char message[256];              // what the last change did, UTF-8; "" for the hint
    MenuPanel panel;
};
ControlsScreen screen;

float RowY(int row)
{
    return kFirstRowY + kRowGap * float(row);
}

bool PadColumn(int column)
{
    return column >= kKeySlots;
}

const char* ActionName(int action)
{
    return Tr(TextId(TEXT_ACTION_TILT_UP + action));
}

// ---------------------------------------------------------------------------
// Drawing

// A long key name ("NonUSBackslash", "RightBracket") is drawn smaller, so it
// stays inside its box instead of running into the next. The width scales
// with the height, so one measure does: each size tried would take a place
// in the text cache, which this screen already fills well.
int BoxFontHeight(const char* name)
{
    const float room = kBoxWidth;
    float width = TextWidth(name, kFontHeight);
    if (width <= room)
        return kFontHeight;
    int height = int(float(kFontHeight) * room / width);
    return height > kSmallestFontHeight ? height : kSmallestFontHeight;
}

void DrawBox(int row, int column)
{
    const Binding& b = bindings.action[row];
    bool pad = PadColumn(column);
    int slot = pad ? column - kKeySlots : column;
    const char* name = pad ? PadButtonName(b.buttons[slot]) : KeyName(b.keys[slot]);
    bool conflict = pad ? ButtonConflicts(bindings, row, slot) : KeyConflicts(bindings, row, slot);
    float x = kColumnX[column], y = RowY(row);
    if (row == screen.cursor.row && column == screen.column) {
        bool capturing = screen.phase == CONTROLS_CAPTURING;
        float shrink = capturing ? 0 : CursorPulse(screen.frameCounter, 6);
        DrawSprite(SHEET_NONE, 0, capturing ? kCaptureInk : kBoxInk, 0, DEPTH_SPRITE, 0, x, y,
                   kBoxWidth - shrink, kRowGap - 3 - shrink);
        if (capturing)
            name = "?";
    }
    if (!name[0])
        name = "-";
    QueueText(name, x, y, BoxFontHeight(name), conflict ? kConflictInk : kMenuInk, TEXT_CENTRE);
}

void DrawRowCursor(int row)
{
    float side = 20 - CursorPulse(screen.frameCounter, 20);
    DrawSprite(SHEET_CURSOR, 1, 0xFFFFFFFF, 0, DEPTH_SPRITE, 0, kLabelX - 16, RowY(row), side, side);
}

bool AnyConflict()
{
    for (int a = 0; a < ACTION_COUNT; a++) {
        for (int s = 0; s < kKeySlots; s++)
            if (KeyConflicts(bindings, a, s))
                return true;
        for (int s = 0; s < kButtonSlots; s++)
            if (ButtonConflicts(bindings, a, s))
                return true;
    }
    return false;
}

void DrawFooter()
{
    char prompt[256];
    const char* text = screen.message[0] ? screen.message : Tr(TEXT_CONTROLS_HINT);
    if (screen.phase == CONTROLS_CAPTURING) {
        TextId id = PadColumn(screen.column) ? TEXT_CONTROLS_PRESS_BUTTON : TEXT_CONTROLS_PRESS_KEY;
        snprintf(prompt, sizeof prompt, Tr(id), ActionName(screen.cursor.row));
        text = prompt;
    }
    QueueText(text, 320, 428, 16, kMenuInk, TEXT_CENTRE);
    if (AnyConflict())
        QueueText(Tr(TEXT_CONTROLS_CONFLICT), 320, 452, 14, kConflictInk, TEXT_CENTRE);
}

void DrawTable()
{
    QueueMenuText(Tr(TEXT_CONTROLS_HEADING), 320, 34, TEXT_CENTRE, 32);
    QueueText(Tr(TEXT_CONTROLS_KEYS), (kColumnX[0] + kColumnX[1]) / 2, 77, 16, kDimInk, TEXT_CENTRE);
    QueueText(Tr(TEXT_CONTROLS_PAD), (kColumnX[2] + kColumnX[3]) / 2, 77, 16, kDimInk, TEXT_CENTRE);
    for (int a = 0; a < ACTION_COUNT; a++) {
        QueueText(ActionName(a), kLabelX, RowY(a), kFontHeight, kMenuInk, TEXT_LEFT);
        for (int c = 0; c < kColumns; c++)
            DrawBox(a, c);
    }
    QueueMenuText(Tr(TEXT_CONTROLS_DEFAULTS), kLabelX, RowY(kDefaultsRow), TEXT_LEFT, kFontHeight);
    QueueMenuText(Tr(TEXT_SETTINGS_BACK), kLabelX, RowY(kBackRow), TEXT_LEFT, kFontHeight);
    DrawRowCursor(screen.cursor.row);
    DrawFooter();
}

// ---------------------------------------------------------------------------
// Choosing a box

// Each axis re-arms back inside +-3 with a tick.
void Rearm(const TiltVector& tilt)
{
    bool neutral = tilt.x > -3 && tilt.x < 3 && tilt.z > -3 && tilt.z < 3;
    if (neutral && !tilt.button)
        screen.settle = 0;
    RearmListCursor(&screen.cursor, tilt);
}

void ChooseRow(const TiltVector& tilt)
{
    MoveListRow(&screen.cursor, tilt, kRowCount);
}

// Left and right move between the boxes of an action's row, wrapping.
void ChooseColumn(const TiltVector& tilt)
{
    if (screen.cursor.xLatch || screen.cursor.row >= ACTION_COUNT)
        return;
    int by = TakeSideStep(&screen.cursor, tilt);
    if (by == 0)
        return;
    screen.column = (screen.column + by + kColumns) % kColumns;
    MenuSound(MENU_SOUND_MOVE);
}

// ---------------------------------------------------------------------------
// Rebinding

void StartCapture()
{
    screen.phase = CONTROLS_CAPTURING;
    screen.captureFrames = kCaptureFrames;
    screen.message[0] = '\0';
    for (int code = 0; code < KEYCODE_COUNT; code++)
        screen.keyPresses[code] = SysKeyPressCount(code);
    PadState pad;
    PadRead(&pad);
    screen.buttonsWereDown = pad.buttons;
}

// The lowest key pressed since the last look, counted by its presses so a
// tap shorter than a frame is not missed; KEYCODE_NONE if none.
int NewKeyPress()
{
    int pressed = KEYCODE_NONE;
    for (int code = 1; code < KEYCODE_COUNT; code++) {
        uint32_t count = SysKeyPressCount(code);
        if (count != screen.keyPresses[code] && pressed == KEYCODE_NONE)
            pressed = code;
        screen.keyPresses[code] = count;
    }
    return pressed;
}

uint32_t NewButtonPress()
{
    PadState pad;
    PadRead(&pad);
    uint32_t pressed = pad.buttons & ~screen.buttonsWereDown;
    screen.buttonsWereDown = pad.buttons;
    return pressed & (0u - pressed);   // the lowest bit alone
}

void SayOutcome(const RebindOutcome& outcome, const char* name)
{
    switch (outcome.result) {
    case REBIND_DONE:
        screen.message[0] = '\0';
        break;
    case REBIND_SWAPPED:
        snprintf(screen.message, sizeof screen.message, Tr(TEXT_CONTROLS_SWAPPED), name, ActionName(outcome.other));
        break;
    case REBIND_RESERVED:
        snprintf(screen.message, sizeof screen.message, Tr(TEXT_CONTROLS_RESERVED), name);
        break;
    case REBIND_ONLY_KEY:
        snprintf(screen.message, sizeof screen.message, Tr(TEXT_CONTROLS_ONLY_KEY), name, ActionName(outcome.other));
        break;
    }
}

// The key (or button) just pressed ends the wait; so does Esc or the time
// running out, leaving the box as it was. The key may now be a tilt or the
// confirm, still held: nothing moves until it is let go.
void EndCapture(RebindOutcome outcome, const char* name)
{
    screen.phase = CONTROLS_CHOOSING;
    screen.cursor.buttonLatch = screen.settle = 1;
    if (!name)
        return;
    SayOutcome(outcome, name);
    if (outcome.result == REBIND_DONE || outcome.result == REBIND_SWAPPED) {
        SaveBindings();
        MenuSound(MENU_SOUND_CONFIRM);
    }
}

void Capture()
{
    int key = NewKeyPress();
    uint32_t button = NewButtonPress();
    if (key == KEYCODE_ESCAPE || --screen.captureFrames <= 0) {
        EndCapture({REBIND_DONE, -1}, nullptr);
        return;
    }
    if (PadColumn(screen.column) && button) {
        int slot = screen.column - kKeySlots;
        EndCapture(RebindButton(&bindings, screen.cursor.row, slot, button), PadButtonName(button));
    } else if (!PadColumn(screen.column) && key != KEYCODE_NONE) {
        EndCapture(RebindKey(&bindings, screen.cursor.row, screen.column, key), KeyName(key));
    }
}

// ---------------------------------------------------------------------------

void Leave()
{
    SaveBindings();
    game.state = STATE_SETTINGS;
    ReturnToSettings();
}

void Press()
{
    screen.cursor.buttonLatch = 1;
    MenuSound(screen.cursor.row == kBackRow ? MENU_SOUND_BACK : MENU_SOUND_CONFIRM);
    if (screen.cursor.row < ACTION_COUNT) {
        StartCapture();
    } else if (screen.cursor.row == kDefaultsRow) {
        bindings = DefaultBindings();
        SaveBindings();
        snprintf(screen.message, sizeof screen.message, "%s", Tr(TEXT_CONTROLS_RESTORED));
    } else {
        Leave();
    }
}

void Choose(const TiltVector& tilt)
{
    if (screen.settle)
        return;
    ChooseRow(tilt);
    ChooseColumn(tilt);
    if (!screen.cursor.buttonLatch && tilt.button)
        Press();
}

}  // namespace

void ResetControls()
{
    screen = ControlsScreen{};
    screen.cursor.buttonLatch = 1;   // the press that chose this screen changes nothing
    // Clear of the on-screen lamps in the bottom-left corner.
    InitMenuPanel(&screen.panel, 16, 62, 624, RowY(kBackRow) + 14, 8, 12);
}

void UpdateControls(const TiltVector& tilt)
{
    screen.frameCounter++;
    DrawWhiteBackground();
    UpdateMenuPanel(&screen.panel);
    if (screen.panel.phase == PANEL_OPEN) {
        if (screen.phase == CONTROLS_CAPTURING) {
            Capture();
        } else {
            Rearm(tilt);
            Choose(tilt);
        }
        DrawTable();
    }
    DrawMenuPanel(&screen.panel);
}

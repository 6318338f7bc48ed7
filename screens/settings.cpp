// The more settings: one list of rows under the options screen, each a label
// and a value the player changes with left/right, or a door to a screen of
// its own. Forward/back moves between the rows (a held tilt repeats), the
// button opens a door or, on the last row, goes back to the options and
// saves the extras. A change takes effect at once.
//
// The rows are one table: a new setting is a field in the extras record and
// a row here.
#include <algorithm>

#include "data/extras.h"
#include "data/texts.h"
#include "render/sprites.h"
#include "render/text.h"
#include "screens/screens.h"
#include "screens/screens_local.h"
#include "sensor/board.h"

namespace {

// ---------------------------------------------------------------------------
// The rows

enum RowKind {
    ROW_CHOICE,   // one of `count` named values, wrapping
    ROW_LEVEL,    // 0..count, a bar of steps
    ROW_OPEN,     // the button opens another screen
    ROW_BACK      // the button goes back to the options
};

struct SettingRow {
    TextId label;
    RowKind kind;
    int32_t* value;          // CHOICE and LEVEL: the extras field the row edits
    int count;               // CHOICE: values; LEVEL: the highest level
    const TextId* names;     // CHOICE: a name per value
    void (*changed)();       // after the value changed; may be null
    void (*open)();          // OPEN: resets that screen and enters it
};

const TextId kHiddenShown[] = {TEXT_VALUE_HIDDEN, TEXT_VALUE_SHOWN};
const TextId kOnOff[] = {TEXT_VALUE_ON, TEXT_VALUE_OFF};
const TextId kOffOn[] = {TEXT_VALUE_OFF, TEXT_VALUE_ON};
const TextId kGhostChoices[] = {TEXT_VALUE_GHOST_BEST, TEXT_VALUE_GHOST_PAR, TEXT_VALUE_NONE};
const TextId kPictureShapes[] = {TEXT_VALUE_PICTURE_FRAME, TEXT_VALUE_PICTURE_FILL};

void OpenControls()
{
    game.state = STATE_CONTROLS;
    ResetControls();
}

void OpenCalibration()
{
    game.state = STATE_CALIBRATION;
    ResetCalibration();
}

// The sound rows take effect through the game's sound update, which reads
// the extras every frame.
const SettingRow kRows[] = {
    {TEXT_SETTING_SCREEN_LAMPS, ROW_CHOICE, &extras.lampsShown, 2, kHiddenShown, nullptr, nullptr},
    {TEXT_SETTING_SOUND, ROW_CHOICE, &extras.muted, 2, kOnOff, nullptr, nullptr},
    {TEXT_SETTING_GHOST, ROW_CHOICE, &extras.ghostChoice, GHOST_CHOICES, kGhostChoices, GhostChoiceChanged, nullptr},
    {TEXT_SETTING_MASTER_VOLUME, ROW_LEVEL, &extras.masterVolume, EXTRAS_VOLUME_MAX, nullptr, nullptr, nullptr},
    {TEXT_SETTING_MUSIC_VOLUME, ROW_LEVEL, &extras.musicVolume, EXTRAS_VOLUME_MAX, nullptr, nullptr, nullptr},
    {TEXT_SETTING_EFFECTS_VOLUME, ROW_LEVEL, &extras.effectsVolume, EXTRAS_VOLUME_MAX, nullptr, nullptr, nullptr},
    {TEXT_SETTING_MUTE_UNFOCUSED, ROW_CHOICE, &extras.muteUnfocused, 2, kOffOn, nullptr, nullptr},
    {TEXT_SETTING_MOUSE_STEERING, ROW_CHOICE, &extras.mouseSteering, 2, kOffOn, nullptr, nullptr},
    {TEXT_SETTING_MOUSE_SENSITIVITY, ROW_LEVEL, &extras.mouseSensitivity, 10, nullptr, nullptr, nullptr},
    {TEXT_SETTING_KEY_RAMP, ROW_LEVEL, &extras.keyRamp, 10, nullptr, nullptr, nullptr},
    {TEXT_SETTING_REDUCED_MOTION, ROW_CHOICE, &extras.reducedMotion, 2, kOffOn, nullptr, nullptr},
    {TEXT_SETTING_CONTROLS, ROW_OPEN, nullptr, 0, nullptr, nullptr, OpenControls},
    {TEXT_SETTING_CALIBRATION, ROW_OPEN, nullptr, 0, nullptr, nullptr, OpenCalibration},
    // The loop hands a new vsync choice to the platform and shapes each
    // picture by the fill choice, so neither needs more here.
    {TEXT_SETTING_VSYNC, ROW_CHOICE, &extras.vsync, 2, kOffOn, nullptr, nullptr},
    {TEXT_SETTING_PICTURE, ROW_CHOICE, &extras.pictureFill, 2, kPictureShapes, nullptr, nullptr},
    {TEXT_SETTINGS_BACK, ROW_BACK, nullptr, 0, nullptr, nullptr, nullptr},
};
const int kRowCount = int(sizeof kRows / sizeof kRows[0]);

// ---------------------------------------------------------------------------
// The screen

const int kVisibleRows = 8;
const float kRowGap = 34;
const float kFirstRowY = 150;
const float kPanelMargin = 40;   // above the first row: room for the mark of rows above
const float kLabelX = 96;
const float kValueX = 470;
const int kFontHeight = 24;
const uint32_t kDimInk = 0xFF9AA4B8u;

struct SettingsScreen {
    ListCursor cursor;  // the selected row and its latches
    int top;            // the first row shown (the list scrolls)
    int xHold;          // frames a held left/right waits before it repeats
    int frameCounter;   // +1 every frame: the cursor's pulse
    MenuPanel panel;
};
SettingsScreen screen;

float RowY(int r)
{
    return kFirstRowY + kRowGap * float(r - screen.top);
}

const float kLevelStep = 16;

void DrawLevel(const SettingRow& row, float y)
{
    const float width = 12;
    float left = kValueX - kLevelStep * row.count / 2;
    for (int i = 0; i < row.count; i++) {
        uint32_t colour = i < *row.value ? kMenuInk : 0xFFD0D6E2u;
        DrawSprite(SHEET_NONE, 0, colour, 0, DEPTH_SPRITE, 0, left + kLevelStep * i + kLevelStep / 2, y, width, 14);
    }
}

void DrawValue(const SettingRow& row, float y, bool selected)
{
    float arrows = 80;
    if (row.kind == ROW_CHOICE)
        QueueMenuText(Tr(row.names[*row.value]), kValueX, y, TEXT_CENTRE);
    else if (row.kind == ROW_LEVEL)
        DrawLevel(row, y);
    else
        return;
    // A bar of ten steps is as wide as the choices' arrows stand apart.
    if (row.kind == ROW_LEVEL)
        arrows = std::max(arrows, kLevelStep * row.count / 2 + 14);
    if (selected) {
        QueueText("<", kValueX - arrows, y, kFontHeight, kMenuInk, TEXT_CENTRE);
        QueueText(">", kValueX + arrows, y, kFontHeight, kMenuInk, TEXT_CENTRE);
    }
}

void DrawRows()
{
    QueueMenuText(Tr(TEXT_SETTINGS_HEADING), 320, 70, TEXT_CENTRE, 36);
    for (int r = screen.top; r < kRowCount && r < screen.top + kVisibleRows; r++) {
        float y = RowY(r);
        QueueMenuText(Tr(kRows[r].label), kLabelX, y, TEXT_LEFT);
        DrawValue(kRows[r], y, r == screen.cursor.row);
    }
    float side = 32 - CursorPulse(screen.frameCounter, 32);
    DrawSprite(SHEET_CURSOR, 1, 0xFFFFFFFF, 0, DEPTH_SPRITE, 0, 71, RowY(screen.cursor.row), side, side);
    // The marks for rows out of sight stand in the panel's margins, clear of
    // its edges and of the rows.
    if (screen.top > 0)
        QueueText("^", 320, kFirstRowY - 24, kFontHeight, kDimInk, TEXT_CENTRE);
    if (screen.top + kVisibleRows < kRowCount)
        QueueText("v", 320, RowY(screen.top + kVisibleRows) - kRowGap * 0.5f, kFontHeight, kDimInk, TEXT_CENTRE);
}

// Each axis re-arms back inside +-3 with a tick.
void Rearm(const TiltVector& tilt)
{
    if (RearmListCursor(&screen.cursor, tilt))
        screen.xHold = 0;
}

void Scroll()
{
    if (screen.cursor.row < screen.top)
        screen.top = screen.cursor.row;
    if (screen.cursor.row >= screen.top + kVisibleRows)
        screen.top = screen.cursor.row - kVisibleRows + 1;
}

void ChooseRow(const TiltVector& tilt)
{
    if (MoveListRow(&screen.cursor, tilt, kRowCount))
        Scroll();
}

void Change(const SettingRow& row, int by)
{
    int32_t v = *row.value + by;
    if (row.kind == ROW_CHOICE)
        v = (v + row.count) % row.count;
    else
        v = v < 0 ? 0 : v > row.count ? row.count : v;
    if (v == *row.value)
        return;
    *row.value = v;
    if (row.changed)
        row.changed();
    MenuSound(MENU_SOUND_MOVE);
}

// Left lowers the value, right raises it; a held tilt repeats.
void ChangeValue(const TiltVector& tilt)
{
    const SettingRow& row = kRows[screen.cursor.row];
    if (row.kind != ROW_CHOICE && row.kind != ROW_LEVEL)
        return;
    if (screen.xHold > 0)
        screen.xHold--;
    if (screen.cursor.xLatch && screen.xHold > 0)
        return;
    int by = TakeSideStep(&screen.cursor, tilt);
    if (by == 0)
        return;
    screen.xHold = row.kind == ROW_LEVEL ? kListHoldFrames / 3 : kListHoldFrames;
    Change(row, by);
}

void Leave()
{
    SaveExtras();
    game.state = STATE_OPTIONS;
    ReturnToOptions();
}

void Press()
{
    const SettingRow& row = kRows[screen.cursor.row];
    screen.cursor.buttonLatch = 1;
    MenuSound(row.kind == ROW_BACK ? MENU_SOUND_BACK : MENU_SOUND_CONFIRM);
    switch (row.kind) {
    case ROW_CHOICE: Change(row, +1); break;
    case ROW_LEVEL: break;
    case ROW_OPEN: row.open(); break;
    case ROW_BACK: Leave(); break;
    }
}

}  // namespace

void ResetSettings()
{
    screen = SettingsScreen{};
    screen.cursor.buttonLatch = 1;   // the press that chose this screen changes nothing
    float bottom = kFirstRowY + kRowGap * float(kVisibleRows < kRowCount ? kVisibleRows : kRowCount);
    InitMenuPanel(&screen.panel, 55, kFirstRowY - kPanelMargin, 585, bottom, 8, 12);
}

void ReturnToSettings()
{
    int row = screen.cursor.row, top = screen.top;
    ResetSettings();
    screen.cursor.row = row;
    screen.top = top;
}

void UpdateSettings(const TiltVector& tilt)
{
    screen.frameCounter++;
    DrawWhiteBackground();
    Rearm(tilt);
    UpdateMenuPanel(&screen.panel);
    if (screen.panel.phase == PANEL_OPEN) {
        DrawRows();
        ChooseRow(tilt);
        ChangeValue(tilt);
        if (!screen.cursor.buttonLatch && tilt.button)
            Press();
    }
    DrawMenuPanel(&screen.panel);
}

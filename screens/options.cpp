// The options screen: ball type, gravity, camera pitch and camera distance,
// three presets each, then the language and the way to the more settings.
// Forward/back moves between the rows, the button opens a row for editing
// (left/right change its value) and closes it again; the last row leaves,
// saving the four classic choices to "config.sav" and the language to the
// extras.
#include "data/extras.h"
#include "data/save_files.h"
#include "data/texts.h"
#include "platform/sys.h"
#include "render/sprites.h"
#include "render/text.h"
#include "screens/screens.h"
#include "screens/screens_local.h"
#include "sensor/board.h"

namespace {

enum OptionsPhase {
    OPTIONS_MENU = 0,
    OPTIONS_LEAVING = 2
};

struct OptionsScreen {
    int phase;          // OptionsPhase
    int row;            // selected row, 0..6 (6 leaves)
    int editing;        // 1 while the row's value is being changed
    int frameCounter;   // +1 every frame: heading and cursor pulse
    int holdCounter;    // frames a held tilt waits; while leaving, the heading's exit
    int xLatch;         // a left/right move was taken; cleared back inside +-3
    int zLatch;         // the same for forward/back
    int buttonLatch;    // set by every confirm and on entry; cleared with the button up
    MenuPanel panel;
};
OptionsScreen options;

// The four classic rows come first; their labels and values are lettered
// sheets. The rows after them are drawn as text in the player's language.
const int kClassicRows = 4;
const int kLanguageRow = 4;
const int kMoreRow = 5;
const int kRows = 7;
const int kLeaveRow = 6;
const int kLeaveCell = 4;   // the leave label's cell in the row sheet
// Seven rows stand a row higher than the classic five did, so the panel
// stays clear of the on-screen lamps in the bottom-left corner.
const float kFirstRowY = 184;
const int kHeadingFrames = 25;
const int kHoldFrames = 30;

int* SettingOfRow(int row)
{
    GameSettings& s = game.settings;
    int32_t* settings[5] = {&s.ballTypeSel, &s.gravitySel, &s.cameraPitchSel, &s.cameraLengthSel,
                            &extras.language};
    return settings[row];
}

int ValueCount(int row)
{
    return row == kLanguageRow ? LANGUAGE_COUNT : 3;
}

// The heading's three letters rest at 288 + 64 i; as `at` goes from 1
// towards 0 they lie further right and turn more. A heading laid out from
// its sheet (another language's word) rests centred on the screen.
void DrawHeading(float at)
{
    LetteredRow row = LayoutOfRow(SHEET_OPTIONS_HEADING, 3, 64, 64);
    float w = row.cellWidth;
    float shift = row.fromSheet ? 32 - w * (row.cells - 1) / 2 : 0;
    for (int i = 0; i < row.cells; i++) {
        float o = w * i;
        float x = o * 2 * (1 - at) + o + (672 - 384 * at) + shift;
        float angle = -(i + 8) * at * 2 * kPi;
        DrawSprite(SHEET_OPTIONS_HEADING, i, 0xFFFFFFFF, angle, DEPTH_SPRITE, 0, x, 60, w, 64);
    }
}

void Heading(int n)
{
    if (options.phase == OPTIONS_LEAVING) {
        DrawHeading(options.holdCounter / float(kHeadingFrames));
        if (options.holdCounter > 0)
            options.holdCounter--;
        return;
    }
    float c = n / float(kHeadingFrames);
    DrawHeading(c > 1 ? 1 : c);
}

// Each axis re-arms back inside +-3 with a tick; the lamps stay as they are.
void Rearm(const TiltVector& tilt)
{
    if (!tilt.button)
        options.buttonLatch = 0;
    if (tilt.x > -3 && tilt.x < 3) {
        if (options.xLatch)
            MenuSound(MENU_SOUND_TICK);
        options.xLatch = 0;
    }
    if (tilt.z > -3 && tilt.z < 3) {
        if (options.zLatch)
            MenuSound(MENU_SOUND_TICK);
        options.zLatch = 0;
    }
}

const float kLabelWidth = 130;

// A label in words keeps to the width of the lettered ones, clear of the
// cursor at its left: a long one is set smaller.
void QueueFittedLabel(const char* utf8, float y)
{
    int height = 24;
    while (height > 16 && TextWidth(utf8, height) > kLabelWidth)
        height--;
    QueueMenuText(utf8, 152, y, TEXT_CENTRE, height);
}

void DrawLabel(int r, float y)
{
    if (r < kClassicRows || r == kLeaveRow)
        DrawSprite(SHEET_OPTION_ROWS, r == kLeaveRow ? kLeaveCell : r, 0xFFFFFFFF, 0, DEPTH_SPRITE, 0, 152, y,
                   kLabelWidth, 32);
    else
        QueueFittedLabel(Tr(r == kLanguageRow ? TEXT_OPTION_LANGUAGE : TEXT_OPTION_MORE), y);
}

// Each language's name is written in that language.
void DrawValues(int r, float y)
{
    for (int i = 0; i < ValueCount(r); i++) {
        float x = 321 + 112.0f * i;
        if (r < kClassicRows)
            DrawSprite(SHEET_OPTION_VALUES, 3 * r + i, 0xFFFFFFFF, 0, DEPTH_SPRITE, 0, x, y, 80, 32);
        else
            QueueMenuText(LanguageName(i), x, y, TEXT_CENTRE);
    }
}

void DrawRow(int r, float pulse)
{
    float y = kFirstRowY + 32.0f * r;
    DrawLabel(r, y);
    bool edited = options.editing && r == options.row;
    if (r == options.row) {
        float side = options.editing ? 32 : 32 - pulse;
        DrawSprite(SHEET_CURSOR, 1, 0xFFFFFFFF, 0, DEPTH_SPRITE, 0, 71, y, side, side);
    }
    if (r == kLeaveRow || r == kMoreRow)
        return;
    DrawValues(r, y);
    // The value being edited flickers with bit 3 of the clock.
    if (edited && !(SysMilliseconds() & 8))
        return;
    float side = edited ? 32 - pulse : 32;
    DrawSprite(SHEET_CURSOR, 1, 0xFFFFFFFF, 0, DEPTH_SPRITE, 0, 265 + 112.0f * *SettingOfRow(r), y, side, side);
}

void Confirm()
{
    MenuSound(options.phase == OPTIONS_LEAVING ? MENU_SOUND_BACK : MENU_SOUND_CONFIRM);
    options.buttonLatch = 1;
}

// Left lowers the value, right raises it, wrapping among the row's values.
// A new language shows at once.
void EditRow(const TiltVector& tilt)
{
    if (!options.xLatch) {
        int by = tilt.x >= 7 ? -1 : tilt.x <= -7 ? +1 : 0;
        SetLedPattern(by < 0 ? 3 : by > 0 ? 12 : 0);
        if (by != 0) {
            int* value = SettingOfRow(options.row);
            int count = ValueCount(options.row);
            *value = (*value + by + count) % count;
            options.xLatch = 1;
            MenuSound(MENU_SOUND_MOVE);
            if (options.row == kLanguageRow)
                SetLanguage(extras.language);
        }
    }
    if (!options.buttonLatch && tilt.button) {
        options.editing = 0;
        Confirm();
    }
}

// A held tilt moves again once the hold has run out; a return to neutral
// re-arms at once.
void ChooseRow(const TiltVector& tilt)
{
    if (options.holdCounter > 0)
        options.holdCounter--;
    if (options.holdCounter == 0 || !options.zLatch) {
        int by = tilt.z >= 7 ? +1 : tilt.z <= -7 ? -1 : 0;
        SetLedPattern(by > 0 ? 6 : by < 0 ? 9 : 0);
        if (by != 0) {
            options.row = (options.row + by + kRows) % kRows;
            options.holdCounter = kHoldFrames;
            options.zLatch = 1;
            MenuSound(MENU_SOUND_MOVE);
        }
    }
    if (!options.buttonLatch && tilt.button) {
        if (options.row == kLeaveRow) {
            options.phase = OPTIONS_LEAVING;
            options.holdCounter = kHeadingFrames;
            options.panel.phase = PANEL_CLOSING;
        } else if (options.row == kMoreRow) {
            game.state = STATE_SETTINGS;
            ResetSettings();
        } else {
            options.editing = 1;
        }
        Confirm();
    }
}

void Menu(const TiltVector& tilt, int n)
{
    UpdateMenuPanel(&options.panel);
    if (options.panel.phase == PANEL_OPEN) {
        float pulse = CursorPulse(n, 32);
        for (int r = 0; r < kRows; r++)
            DrawRow(r, pulse);
        if (options.editing)
            EditRow(tilt);
        else
            ChooseRow(tilt);
    }
    DrawMenuPanel(&options.panel);
}

// A config.sav that cannot be written leaves the choices in effect for this
// run; the screen returns to the title either way.
void Leaving()
{
    UpdateMenuPanel(&options.panel);
    DrawMenuPanel(&options.panel);
    if (options.panel.phase != PANEL_CLOSED)
        return;
    SaveOptions();
    SaveExtras();
    game.state = STATE_TITLE;
    ResetTitle();
}

}  // namespace

void ResetOptions()
{
    options = OptionsScreen{};
    options.phase = OPTIONS_MENU;
    options.buttonLatch = 1;   // the press that chose this screen opens no row
    InitMenuPanel(&options.panel, 55, kFirstRowY - 24, 585, kFirstRowY + 32 * kRows - 16, 8, 12);
}

void ReturnToOptions()
{
    ResetOptions();
    options.row = kMoreRow;
}

void UpdateOptions(const TiltVector& tilt)
{
    int n = ++options.frameCounter;
    DrawWhiteBackground();
    Heading(n);
    Rearm(tilt);
    if (options.phase == OPTIONS_LEAVING)
        Leaving();
    else
        Menu(tilt, n);
}

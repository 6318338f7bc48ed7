// The menus of a race: pause (resume, retry, course select, title) and the
// result menu after a miss or a goal (retry, course select, title). Both are
// one column of labels in an animated panel, moved by a forward/back tilt
// and confirmed by the button once the panel is open; the choice is acted on
// when the panel has closed.
#include "render/sprites.h"
#include "screens/screens.h"
#include "screens/screens_local.h"
#include "sensor/board.h"

namespace {

struct RaceMenu {
    MenuPanel panel;   // opens, takes input while open, acts once closed
    int choice;        // cursor row
};
RaceMenu pauseMenu;    // 0 resume, 1 retry, 2 course select, 3 title
RaceMenu resultMenu;   // 0 retry, 1 course select, 2 title

const int kPauseRows = 4;
const int kResultRows = 3;
const float kRowHeight = 24;

// Rows sit 24 pixels apart, centred on the screen's middle line; the result
// menu shows the last three labels of the pause menu's four.
float RowY(int row, int rows)
{
    return 240 + (row - (rows - 1) * 0.5f) * kRowHeight;
}

void DrawRows(const RaceMenu& menu, int rows)
{
    int firstLabel = kPauseRows - rows;
    for (int i = 0; i < rows; i++)
        DrawSprite(SHEET_RACE_MENU, firstLabel + i, 0xFFFFFFFF, 0, DEPTH_SPRITE, 0,
                   320, RowY(i, rows), 144, kRowHeight);
    float side = kRowHeight - CursorPulse(menuLatches.frameCounter, kRowHeight);
    DrawSprite(SHEET_CURSOR, 1, 0xFFFFFFFF, 0, DEPTH_SPRITE, 0,
               224, RowY(menu.choice, rows), side, side);
}

void MoveCursor(RaceMenu* menu, int rows, const TiltVector& tilt)
{
    if (menuLatches.zLatch)
        return;
    if (tilt.z < -7) {
        menu->choice--;
        menuLatches.zLatch = 1;
        SetLedPattern(9);
        MenuSound(MENU_SOUND_MOVE);
    } else if (tilt.z > 7) {
        menu->choice++;
        menuLatches.zLatch = 1;
        SetLedPattern(6);
        MenuSound(MENU_SOUND_MOVE);
    }
    if (menu->choice < 0)
        menu->choice = rows - 1;
    if (menu->choice >= rows)
        menu->choice = 0;
}

// One frame of either menu. True on the frame its panel has closed.
bool RunMenuFrame(RaceMenu* menu, int rows, const TiltVector& tilt)
{
    RearmTilt(tilt);
    menuLatches.frameCounter++;
    UpdateMenuPanel(&menu->panel);
    DrawMenuPanel(&menu->panel);
    if (menu->panel.phase == PANEL_OPEN) {
        DrawRows(*menu, rows);
        // The press that opened the menu must be released first.
        if (!menuLatches.confirmLatch && tilt.button) {
            menu->panel.phase = PANEL_CLOSING;
            MenuSound(MENU_SOUND_CONFIRM);
        } else {
            MoveCursor(menu, rows, tilt);
        }
    }
    return menu->panel.phase == PANEL_CLOSED;
}

void OpenMenu(RaceMenu* menu, float top, float bottom)
{
    // 0.2 per frame: five frames of height, five of width.
    InitMenuPanel(&menu->panel, 195, top, 445, bottom, 8, 5);
    menu->choice = 0;
    menuLatches.zLatch = 0;
    menuLatches.xLatch = 0;
    menuLatches.confirmLatch = 1;
}

void Retry()
{
    RequestCourseLoad(game.currentCourse);
    EnterIntro();
}

void ToCourseSelect()
{
    game.state = STATE_COURSE_SELECT;
    ResetCourseSelect();
}

void ToTitle()
{
    game.state = STATE_TITLE;
    ResetTitle();
}

}  // namespace

void OpenPauseMenu()
{
    OpenMenu(&pauseMenu, 189, 291);
}

void UpdatePauseMenu(const TiltVector& tilt)
{
    if (!RunMenuFrame(&pauseMenu, kPauseRows, tilt))
        return;
    switch (pauseMenu.choice) {
    case 0:
        // The race pauses on any frame with the button down, so a confirm
        // still held when the panel has closed would pause again at once;
        // the race goes on (its clock where it stopped) once it is released.
        if (!tilt.button)
            game.state = STATE_RACE;
        break;
    case 1: Retry(); break;
    case 2: ToCourseSelect(); break;
    default: ToTitle(); break;
    }
}

void OpenResultMenu()
{
    OpenMenu(&resultMenu, 201, 279);
    menuLatches.frameCounter = 0;
}

void UpdateResultMenu(const TiltVector& tilt)
{
    if (!RunMenuFrame(&resultMenu, kResultRows, tilt))
        return;
    switch (resultMenu.choice) {
    case 0: Retry(); break;
    case 1: ToCourseSelect(); break;
    default: ToTitle(); break;
    }
}

// Every shipped course can be finished through the real loop, from the title
// with keys only: start-up reads the shipped files, the menus and course
// select are driven like a player would, and the autopilot, holding arrow
// keys along the route course.ini gives it, races each course to its goal
// within three minutes of race time.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/game.h"
#include "app/ghost.h"
#include "app/loop.h"
#include "app/splits.h"
#include "data/course_list.h"
#include "data/par.h"
#include "platform/sys.h"
#include "screens/course_select.h"
#include "screens/screens.h"
#include "support/scripted_input.h"
#include "tools/autopilot/autopilot.h"

namespace fs = std::filesystem;

namespace {

int messages;

void CountBox(const char*) { messages++; }

void Frame()
{
    scriptedClockMs += 16;
    SampleInput();
    RunFrame(scriptedClockMs);
}

uint32_t RecordOnDisk(const fs::path& dir, int index)
{
    uint32_t value = 0;
    FILE* f = fopen((dir / "record.sav").c_str(), "rb");
    if (!f)
        return 0;
    unsigned char b[4];
    if (fseek(f, long(index) * 4, SEEK_SET) == 0 && fread(b, 1, 4, f) == 4)
        value = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    fclose(f);
    return value;
}


// ---------------------------------------------------------------------------
// Driving the game with keys only: taps, waits and the menus as a player
// meets them.

void Tap(SysKey key)
{
    scriptedKeys[key] = true;
    Frame();
    Frame();
    scriptedKeys[key] = false;
    Frame();
    Frame();
}

void Wait(int frames)
{
    for (int i = 0; i < frames; i++)
        Frame();
}

bool WaitForState(int state, int limit)
{
    for (int i = 0; i < limit && game.state != state; i++)
        Frame();
    return game.state == state;
}

bool WaitForSelectPhase(int phase, int limit)
{
    for (int i = 0; i < limit && GetCourseSelect().phase != phase; i++)
        Frame();
    return GetCourseSelect().phase == phase;
}

// From the title's first frame: the letters fly in, the menu opens, the
// cursor goes down `moves` entries and the choice is confirmed.
void ChooseOnTitle(int moves)
{
    Wait(61 + 30);
    for (int i = 0; i < moves; i++)
        Tap(KEY_DOWN);
    Tap(KEY_SPACE);
}

// In the pause or result menu, once its panel has opened.
void ChooseInMenu(int moves)
{
    Wait(20);
    for (int i = 0; i < moves; i++)
        Tap(KEY_DOWN);
    Tap(KEY_SPACE);
}

// On course select: slide right to course `index`, open the dialog, say yes.
void SelectCourse(int index)
{
    ASSERT_TRUE(WaitForSelectPhase(SELECT_BROWSING, 200));
    if (GetCourseSelect().selectedCourse != index) {
        scriptedKeys[KEY_RIGHT] = true;
        for (int i = 0; i < 100 * courseList.courseCount && GetCourseSelect().selectedCourse != index; i++)
            Frame();
        scriptedKeys[KEY_RIGHT] = false;
        ASSERT_EQ(index, GetCourseSelect().selectedCourse);
        ASSERT_TRUE(WaitForSelectPhase(SELECT_BROWSING, 100));
    }
    Tap(KEY_SPACE);
    ASSERT_EQ(SELECT_CONFIRMING, GetCourseSelect().phase);
    Wait(10);
    Tap(KEY_SPACE);
    ASSERT_TRUE(WaitForState(STATE_INTRO, 200));
}

// Races from the intro to the goal menu with the autopilot steering by the
// route course.ini gives; the Race frames, or -1 without a goal.
int RaceToGoalMenu(const AutopilotRoute& route)
{
    if (!WaitForState(STATE_RACE, 180 + 240 + 10))
        return -1;
    AutopilotInput input = {scriptedKeys, &scriptedClockMs, nullptr};
    int raceFrames = DriveRaceWithAutopilot(route, input);
    if (raceFrames < 0 || !WaitForState(STATE_GOAL_MENU, 200))
        return -1;
    return raceFrames;
}
}  // namespace

// The whole game with scripted keys only: the title, course select sliding
// to each course in turn, its race to the goal, a retry from the goal menu,
// a pause, and back to course select (after the last course to the title),
// then exit from the title with exit code 0. Every best time reaches
// record.sav and the retried races, never finished, change none. Each race
// is the autopilot's par run again: its time is the course's par (written at
// build time, so the build's races are reproducible), it earns gold, and
// against the par ghost it races along it is level at every checkpoint.
TEST(ContentPlaythrough, TheWholeGameFromTheTitleWithKeysOnly)
{
    std::string dir = CopyGameFolder(KESTRUNE_GAME_DIR, "kestrune-game");
    messages = 0;
    ASSERT_EQ(StartScriptedGame(dir, CountBox), 1);
    ASSERT_EQ(game.state, STATE_TITLE);
    ChooseOnTitle(0);
    ASSERT_TRUE(WaitForState(STATE_COURSE_SELECT, 60));

    ASSERT_EQ(courseList.courseCount, 12);
    std::vector<AutopilotRoute> routes = ReadAutopilotRoutes(courseList.courseCount);
    const int last = courseList.courseCount - 1;
    for (int k = 0; k <= last; k++) {
        EXPECT_FALSE(routes[k].points.empty()) << "course " << k << " gives the autopilot no route";
        // The ball the route was made for (the options screen's choice,
        // which a course load takes up).
        game.settings.ballTypeSel = routes[k].ballType;
        SelectCourse(k);
        if (HasFatalFailure())
            break;
        int frames = RaceToGoalMenu(routes[k]);
        ASSERT_GT(frames, 0) << "course " << k << " was not finished";
        EXPECT_EQ(game.currentCourse, k);
        EXPECT_EQ(loop.raceTimeMs, uint32_t(frames) * 16u) << "course " << k;
        uint32_t best = courseList.courses[k].bestTimeMs;
        EXPECT_EQ(best, loop.raceTimeMs) << "course " << k;
        EXPECT_EQ(RecordOnDisk(dir, k), best) << "course " << k;
        EXPECT_EQ(courseList.courses[k].parTimeMs, best) << "course " << k;
        EXPECT_TRUE(splits.finished) << "course " << k;
        EXPECT_EQ(splits.count, SPLIT_CHECKPOINTS) << "course " << k;
        EXPECT_EQ(splits.next, splits.count) << "course " << k;
        EXPECT_EQ(splits.deltaMs, 0) << "course " << k;

        ChooseInMenu(0);                               // retry
        ASSERT_TRUE(WaitForState(STATE_INTRO, 60)) << "course " << k;
        ASSERT_TRUE(WaitForState(STATE_RACE, 180 + 240 + 10)) << "course " << k;
        Wait(30);
        Tap(KEY_SPACE);
        ASSERT_EQ(game.state, STATE_PAUSE) << "course " << k;
        if (k < last) {
            ChooseInMenu(2);                           // course select
            ASSERT_TRUE(WaitForState(STATE_COURSE_SELECT, 60)) << "course " << k;
        } else {
            ChooseInMenu(3);                           // title
            ASSERT_TRUE(WaitForState(STATE_TITLE, 60));
        }
        EXPECT_EQ(RecordOnDisk(dir, k), best) << "course " << k;
    }
    EXPECT_EQ(CountMedals().gold, courseList.courseCount);
    ChooseOnTitle(2);                                  // exit
    ASSERT_TRUE(WaitForState(STATE_EXIT, 60));
    EXPECT_EQ(RunPass(), 0);
    EXPECT_EQ(LastQuitCode(), 0);
    EXPECT_EQ(messages, 0);
    StopScriptedGame();
    fs::remove_all(dir);
}

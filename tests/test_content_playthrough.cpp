// Every shipped course can be finished through the real loop, from the title
// with keys only: start-up reads the shipped files, the menus and course
// select are driven like a player would, and a driver holding arrow keys
// races each course to its goal within three minutes of race time.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/game.h"
#include "app/loop.h"
#include "data/course_list.h"
#include "physics/physics.h"
#include "platform/sys.h"
#include "render/terrain.h"
#include "screens/course_select.h"
#include "screens/screens.h"
#include "support/scripted_input.h"

namespace fs = std::filesystem;

namespace {

int messages;

void CountBox(const char*) { messages++; }

// Waypoints as map fractions (x from the picture's left, z from its top),
// one route per shipped course in list order.
const std::vector<std::vector<float>> kRoutes = {
    {0.62f, 0.7f, 0.38f, 0.45f, 0.55f, 0.25f, 0.5f, 0.1f},
    {0.5f, 0.1f},
    {0.5f, 0.08f},
    {0.5f, 0.08f},
    {0.62f, 0.82f, 0.7f, 0.68f, 0.3f, 0.64f, 0.3f, 0.5f, 0.7f, 0.46f, 0.7f, 0.34f, 0.56f, 0.24f, 0.5f, 0.09f},
    {0.24f, 0.76f, 0.74f, 0.56f, 0.28f, 0.36f, 0.5f, 0.11f},
};

// Holds the arrow keys whose tilt points closest to the wanted push. LEFT
// gives +x, RIGHT -x, UP -z, DOWN +z; two keys give the diagonals.
void HoldArrowsToward(float wantX, float wantZ)
{
    ReleaseScriptedKeys();
    float len = std::hypot(wantX, wantZ);
    if (len < 1.0f)
        return;
    const float angle = std::atan2(wantZ, wantX);
    const int octant = int(std::lround(angle / (3.14159265f / 4))) & 7;   // 0 = +x
    static const bool left[8] = {true, true, false, false, false, false, false, true};
    static const bool right[8] = {false, false, false, true, true, true, false, false};
    static const bool down[8] = {false, true, true, true, false, false, false, false};
    static const bool up[8] = {false, false, false, false, false, true, true, true};
    scriptedKeys[KEY_LEFT] = left[octant];
    scriptedKeys[KEY_RIGHT] = right[octant];
    scriptedKeys[KEY_DOWN] = down[octant];
    scriptedKeys[KEY_UP] = up[octant];
}

void Frame()
{
    scriptedClockMs += 16;
    SampleInput();
    RunFrame(scriptedClockMs);
}

// Steers toward the route's next waypoint at a modest speed.
void Steer(const std::vector<float>& route, size_t* next)
{
    const CourseDef& c = courseList.courses[game.currentCourse];
    const TerrainGrid& grid = CurrentTerrainGrid();
    float w = grid.NX * c.GRID_SIZE, h = grid.NZ * c.GRID_SIZE;
    float bx = ballMatrix.m[3][0], bz = ballMatrix.m[3][2];
    float tx = w * (1 - route[*next]) - w / 2, tz = h * route[*next + 1] - h / 2;
    if (std::hypot(tx - bx, tz - bz) < 10 && *next + 2 < route.size()) {
        *next += 2;
        tx = w * (1 - route[*next]) - w / 2;
        tz = h * route[*next + 1] - h / 2;
    }
    Vec3 v = {};
    GetBallVelocity(&v);
    float dx = tx - bx, dz = tz - bz, d = std::max(std::hypot(dx, dz), 1e-3f);
    float speed = std::min(22.0f, d);
    HoldArrowsToward(dx / d * speed - v.x, dz / d * speed - v.z);
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

// Races from the intro to the goal menu; the Race frames, or -1 without a goal.
int RaceToGoalMenu(const std::vector<float>& route)
{
    if (!WaitForState(STATE_RACE, 180 + 240 + 10))
        return -1;
    size_t next = 0;
    int raceFrames = 0;
    while (game.state == STATE_RACE && raceFrames < 180 * 60) {
        Steer(route, &next);
        Frame();
        raceFrames++;
    }
    ReleaseScriptedKeys();
    if (game.state != STATE_GOAL || !WaitForState(STATE_GOAL_MENU, 200))
        return -1;
    return raceFrames;
}
}  // namespace

// The whole game with scripted keys only: the title, course select sliding
// to each course in turn, its race to the goal, a retry from the goal menu,
// a pause, and back to course select (after the last course to the title),
// then exit from the title with exit code 0. Every best time reaches
// record.sav and the retried races, never finished, change none.
TEST(ContentPlaythrough, TheWholeGameFromTheTitleWithKeysOnly)
{
    fs::path dir = fs::temp_directory_path() / ("kestrune-game-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::copy(KESTRUNE_GAME_DIR, dir, fs::copy_options::recursive);
    fs::remove(dir / "record.sav");
    fs::remove(dir / "config.sav");

    InstallScriptedInput(CountBox, nullptr);
    scriptedClockMs = 5000;
    messages = 0;
    SysSetProgramDirectoryForTests(dir.c_str());
    ASSERT_EQ(StartUp(), 1);
    ASSERT_EQ(game.state, STATE_TITLE);
    ChooseOnTitle(0);
    ASSERT_TRUE(WaitForState(STATE_COURSE_SELECT, 60));

    const int last = courseList.courseCount - 1;
    for (int k = 0; k <= last; k++) {
        SelectCourse(k);
        if (HasFatalFailure())
            break;
        int frames = RaceToGoalMenu(kRoutes[k]);
        ASSERT_GT(frames, 0) << "course " << k << " was not finished";
        EXPECT_EQ(game.currentCourse, k);
        EXPECT_EQ(loop.raceTimeMs, uint32_t(frames) * 16u) << "course " << k;
        uint32_t best = courseList.courses[k].bestTimeMs;
        EXPECT_EQ(best, loop.raceTimeMs) << "course " << k;
        EXPECT_EQ(RecordOnDisk(dir, k), best) << "course " << k;

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
    ChooseOnTitle(2);                                  // exit
    ASSERT_TRUE(WaitForState(STATE_EXIT, 60));
    EXPECT_EQ(RunPass(), 0);
    EXPECT_EQ(LastQuitCode(), 0);
    EXPECT_EQ(messages, 0);
    ShutDown();
    SysSetProgramDirectoryForTests(nullptr);
    SysSetHooks(nullptr);
    fs::remove_all(dir);
}

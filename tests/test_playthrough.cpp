// End to end on the null platform: start-up from setting files, then a race
// driven frame by frame with scripted keys through Intro, Countdown, Race and
// Goal (or Miss), checking the state chain, the race clock and record.sav.
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "core/game.h"
#include "app/ghost.h"
#include "app/loop.h"
#include "data/bindings.h"
#include "app/splits.h"
#include "render/camera.h"
#include "render/scene.h"
#include "data/course_list.h"
#include "data/extras.h"
#include "data/par.h"
#include "render/medal.h"
#include "render/sprites_local.h"
#include "screens/course_select.h"
#include "physics/physics.h"
#include "platform/pad.h"
#include "platform/paths.h"
#include "platform/sys.h"
#include "screens/screens.h"
#include "support/physics_support.h"
#include "support/scripted_input.h"

namespace {

std::vector<std::string> messages;

void CatchBox(const char* text) { messages.push_back(text); }

std::string ReadFile(const std::string& path)
{
    std::string bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    int c;
    while ((c = std::fgetc(f)) != EOF)
        bytes.push_back((char)c);
    std::fclose(f);
    return bytes;
}

class Playthrough : public ::testing::Test {
public:
    void SetUp() override
    {
        dir = TempDir() + "/game" + std::to_string(run++) + "/";
        ASSERT_EQ(0, system(("mkdir -p " + dir + "field").c_str()));
        WriteGreyBmp("flat16.bmp", 16, 16, std::vector<int>(256, 0));
        ASSERT_EQ(0, system(("cp " + TempDir() + "/flat16.bmp " + dir + "field/map.bmp").c_str()));
        WriteGreyBmp("flat48x8.bmp", 48, 8, std::vector<int>(48 * 8, 0));
        ASSERT_EQ(0, system(("cp " + TempDir() + "/flat48x8.bmp " + dir + "field/long.bmp").c_str()));
        WriteFileText(dir + "field/long.txt", "Long and flat.\r\n");
        WriteFileText(dir + "sprite.ini", "PLANE_NUM:[0]\r\n");
        WriteFileText(dir + "def.ini", "GRAVITY:[1][1][1]\r\nBALL_SIZE:[3]\r\nBALL_SPEED:[0.5]\r\n");
        // W = H = 17 * 4 = 68; start at the centre resting on the ground;
        // the goal lies toward +x (fractions 0.1 .. 0.3 from the left edge).
        if (courseIni.empty())
            courseIni = "FIELD_TOTAL:[1]\r\nFIELD_NUM:[0]\r\nFIELD_NAME:[[flat]]\r\n"
                        "HEIGHT_MAP:[[field\\MAP.bmp]] FIELD_TEXTURE:[[field\\map.bmp]]\r\n"
                        "MAP_HEIGHT:[3] GRID_SIZE:[4]\r\n"
                        "START:[0.5,1,0.5] GOAL:[0.1][0.3][0.3][0.7]\r\n";
        WriteFileText(dir + "course.ini", courseIni);
        messages.clear();
        ASSERT_EQ(1, StartScriptedGame(dir, CatchBox));
    }
    void TearDown() override
    {
        StopScriptedGame();
        PadSetForTests(nullptr);
    }
    // One frame 16 ms after the last; the frame's state is recorded.
    void Frame()
    {
        scriptedClockMs += 16;
        SampleInput();
        int frameState = game.state;
        RunFrame(scriptedClockMs);
        states.push_back(frameState);
    }
    int FramesIn(int state) const
    {
        int n = 0;
        for (int s : states)
            n += s == state;
        return n;
    }
    // The states in the order they were first run, repeats folded.
    std::vector<int> Chain() const
    {
        std::vector<int> chain;
        for (int s : states)
            if (chain.empty() || chain.back() != s)
                chain.push_back(s);
        return chain;
    }
    // What course select does on a confirm.
    void ChooseCourse()
    {
        RequestCourseLoad(0);
        EnterIntro();
    }
    void RunUntilStateLeaves(int state, int limit)
    {
        for (int k = 0; k < limit && game.state == state; k++)
            Frame();
    }
    // From the course-select confirm through a skipped intro and the whole
    // countdown: the first Race frame is next.
    void StartRace()
    {
        ChooseCourse();
        RunUntilStateLeaves(STATE_INTRO, 200);
        RunUntilStateLeaves(STATE_COUNTDOWN, 400);
        ASSERT_EQ(STATE_RACE, game.state);
    }
    // The test pad, attached, with this stick and these buttons.
    void Pad(float stickX, uint32_t buttons)
    {
        PadState pad = {};
        pad.attached = 1;
        pad.stickX = stickX;
        pad.buttons = buttons;
        PadSetForTests(&pad);
    }
    std::string dir;
    std::string courseIni;   // the course list; a derived fixture may set its own
    std::vector<int> states;
    static int run;
};
int Playthrough::run = 0;

// LEFT steers the ball into the goal: Goal, then GoalMenu; the time is kept and saved.
TEST_F(Playthrough, RaceToTheGoal)
{
    EXPECT_EQ(STATE_TITLE, game.state);
    ChooseCourse();
    scriptedKeys[KEY_SPACE] = true;            // still held from the confirm: no skip
    for (int k = 0; k < 10; k++)
        Frame();
    EXPECT_EQ(STATE_INTRO, game.state);
    scriptedKeys[KEY_SPACE] = false;
    Frame();
    scriptedKeys[KEY_SPACE] = true;            // a fresh press skips the fly-over
    Frame();
    scriptedKeys[KEY_SPACE] = false;
    EXPECT_EQ(STATE_COUNTDOWN, game.state);
    RunUntilStateLeaves(STATE_COUNTDOWN, 400);
    ASSERT_EQ(STATE_RACE, game.state);
    EXPECT_EQ(239, FramesIn(STATE_COUNTDOWN));     // the frame that left Intro was the first
    EXPECT_EQ(0u, loop.raceTimeMs);

    scriptedKeys[KEY_LEFT] = true;
    RunUntilStateLeaves(STATE_RACE, 1200);
    ASSERT_EQ(STATE_GOAL, game.state);
    int raceFrames = FramesIn(STATE_RACE);
    EXPECT_GT(raceFrames, 10);
    EXPECT_EQ(16u * raceFrames, loop.raceTimeMs);
    scriptedKeys[KEY_LEFT] = false;
    RunUntilStateLeaves(STATE_GOAL, 200);
    EXPECT_EQ(119, FramesIn(STATE_GOAL));      // the goal frame itself counted the first
    EXPECT_EQ(STATE_GOAL_MENU, game.state);
    EXPECT_EQ(16u * raceFrames, loop.raceTimeMs);  // frozen after the goal

    std::vector<int> expected = { STATE_INTRO, STATE_COUNTDOWN, STATE_RACE, STATE_GOAL };
    EXPECT_EQ(expected, Chain());
    EXPECT_EQ(loop.raceTimeMs, courseList.courses[0].bestTimeMs);
    std::string record = ReadFile(dir + "record.sav");
    ASSERT_EQ(4u, record.size());
    uint32_t saved = (uint8_t)record[0] | (uint8_t)record[1] << 8 | (uint8_t)record[2] << 16
                   | (uint32_t)(uint8_t)record[3] << 24;
    EXPECT_EQ(loop.raceTimeMs, saved);
    // The ball ended inside the goal rectangle: x from 13.6 to 27.2.
    EXPECT_GE(ballMatrix.m[3][0], 13.6f);
    EXPECT_TRUE(messages.empty()) << messages.front();
}

// RIGHT runs the ball off the far edge: Miss keeps the clock running, then MissMenu.
TEST_F(Playthrough, FallOffTheCourse)
{
    ChooseCourse();
    RunUntilStateLeaves(STATE_INTRO, 200);
    EXPECT_EQ(180, FramesIn(STATE_INTRO));          // the 180th frame leaves for Countdown
    RunUntilStateLeaves(STATE_COUNTDOWN, 400);
    ASSERT_EQ(STATE_RACE, game.state);
    scriptedKeys[KEY_RIGHT] = true;
    RunUntilStateLeaves(STATE_RACE, 1200);
    ASSERT_EQ(STATE_MISS, game.state);
    EXPECT_TRUE(IsBallFallen());
    scriptedKeys[KEY_RIGHT] = false;
    RunUntilStateLeaves(STATE_MISS, 200);
    EXPECT_EQ(STATE_MISS_MENU, game.state);
    EXPECT_EQ(120, FramesIn(STATE_MISS));
    EXPECT_EQ(16u * (FramesIn(STATE_RACE) + FramesIn(STATE_MISS)), loop.raceTimeMs);
    std::vector<int> expected = { STATE_INTRO, STATE_COUNTDOWN, STATE_RACE, STATE_MISS };
    EXPECT_EQ(expected, Chain());
    EXPECT_EQ(0u, courseList.courses[0].bestTimeMs);
    EXPECT_EQ("", ReadFile(dir + "record.sav"));
}

// A frame in which the button pauses and the ball has fallen ends in Miss:
// the fall test runs after the pause check and wins.
TEST_F(Playthrough, FallWinsOverPauseInOneFrame)
{
    courseList.courses[0].START[1] = -5.0f;   // starts far below the terrain
    scriptedKeys[KEY_SPACE] = true;                    // held from the menu confirm on
    ChooseCourse();
    RunUntilStateLeaves(STATE_INTRO, 200);
    EXPECT_EQ(180, FramesIn(STATE_INTRO));     // the held button never skips it
    RunUntilStateLeaves(STATE_COUNTDOWN, 400);
    ASSERT_EQ(STATE_RACE, game.state);
    Frame();
    EXPECT_EQ(STATE_MISS, game.state);
    EXPECT_EQ(120, loop.missFrames);
    EXPECT_EQ(16u, loop.raceTimeMs);
}

// Races one run from the course-select confirm to the goal, holding LEFT
// after `wait` race frames; checks the ghost against the ball on every Race
// frame when `matchGhost`. Returns the race time.
uint32_t RaceWithGhost(Playthrough* p, int wait, bool matchGhost)
{
    p->states.clear();
    RequestCourseLoad(0);
    EnterIntro();
    p->RunUntilStateLeaves(STATE_INTRO, 200);
    p->RunUntilStateLeaves(STATE_COUNTDOWN, 400);
    for (int k = 0; game.state == STATE_RACE && k < 1500; k++) {
        scriptedKeys[KEY_LEFT] = k >= wait;
        p->Frame();
        Matrix g;
        if (!matchGhost || game.state != STATE_RACE) continue;
        EXPECT_TRUE(GhostMatrixNow(&g));
        // The ball as the frame's picture drew it (unscaled, as the ghost).
        const Matrix& drawn = LastPictureScene().ball;
        for (int r = 0; r < 4; r++)
            for (int c = 0; c < 3; c++)
                EXPECT_NEAR(g.m[r][c], drawn.m[r][c], 1e-4f) << "frame " << k;
        if (::testing::Test::HasFailure()) break;
    }
    scriptedKeys[KEY_LEFT] = false;
    EXPECT_EQ(STATE_GOAL, game.state);
    uint32_t time = loop.raceTimeMs;
    p->RunUntilStateLeaves(STATE_GOAL, 200);   // on to the result menu
    return time;
}

}  // namespace

// The pad alone, keyboard untouched: the south button held from the menu
// does not skip the fly-over, a fresh press does, and the stick steers the
// ball into the goal.
TEST_F(Playthrough, PadAloneRacesToTheGoal)
{
    Pad(0, PAD_SOUTH);
    ChooseCourse();
    for (int k = 0; k < 10; k++)
        Frame();
    EXPECT_EQ(STATE_INTRO, game.state);
    Pad(0, 0);
    Frame();
    Pad(0, PAD_SOUTH);
    Frame();
    Pad(0, 0);
    EXPECT_EQ(STATE_COUNTDOWN, game.state);
    RunUntilStateLeaves(STATE_COUNTDOWN, 400);
    ASSERT_EQ(STATE_RACE, game.state);
    Pad(-1, 0);
    RunUntilStateLeaves(STATE_RACE, 1200);
    ASSERT_EQ(STATE_GOAL, game.state);
    EXPECT_GE(ballMatrix.m[3][0], 13.6f);
    Pad(0, 0);
    RunUntilStateLeaves(STATE_GOAL, 200);
    EXPECT_EQ(STATE_GOAL_MENU, game.state);
    std::vector<int> expected = { STATE_INTRO, STATE_COUNTDOWN, STATE_RACE, STATE_GOAL };
    EXPECT_EQ(expected, Chain());
}

// A pad pulled out mid-race with its stick pushed and jump and confirm held
// leaves nothing behind: the next frame reads the idle keyboard, the race
// is not paused, and the arrow keys take over.
TEST_F(Playthrough, PadPulledOutMidRaceFallsBackToTheKeys)
{
    ChooseCourse();
    RunUntilStateLeaves(STATE_INTRO, 200);
    RunUntilStateLeaves(STATE_COUNTDOWN, 400);
    ASSERT_EQ(STATE_RACE, game.state);
    Pad(1, PAD_EAST);
    for (int k = 0; k < 20; k++)
        Frame();
    EXPECT_EQ(-20, loop.tilt.x);
    EXPECT_EQ(-32, loop.tilt.y);
    PadState gone = {};
    gone.stickX = 1;                 // what the pad last said, now detached
    gone.buttons = PAD_SOUTH | PAD_EAST;
    PadSetForTests(&gone);
    for (int k = 0; k < 5; k++) {
        Frame();
        EXPECT_EQ(0, loop.tilt.x);
        EXPECT_EQ(10, loop.tilt.y);
        EXPECT_EQ(0, loop.tilt.z);
        EXPECT_EQ(0, loop.tilt.button);
    }
    EXPECT_EQ(STATE_RACE, game.state);
    scriptedKeys[KEY_LEFT] = true;
    RunUntilStateLeaves(STATE_RACE, 1200);
    EXPECT_EQ(STATE_GOAL, game.state);
}

// A slower run sets the first ghost; a faster one replaces it on disk; a run
// on the same course replays it frame for frame; a slower one keeps it.
TEST_F(Playthrough, GhostKeepsTheBestRun)
{
    uint32_t slow = RaceWithGhost(this, 30, false);
    std::string first = ReadFile(dir + "ghost/course0.gho");
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(slow / 16 + 1, ghost.replay.frameCount);

    uint32_t fast = RaceWithGhost(this, 0, false);
    ASSERT_LT(fast, slow);
    std::string second = ReadFile(dir + "ghost/course0.gho");
    EXPECT_TRUE(first != second);
    EXPECT_EQ(fast, ghost.replay.timeMs);

    // Read back from the file, not the run kept in memory.
    ghost.loadedCourse = -1;
    EXPECT_EQ(fast, RaceWithGhost(this, 0, true));
    EXPECT_TRUE(second == ReadFile(dir + "ghost/course0.gho"));   // a tie keeps the file
    RaceWithGhost(this, 20, false);
    EXPECT_TRUE(second == ReadFile(dir + "ghost/course0.gho"));
    EXPECT_EQ(fast, ghost.replay.timeMs);
}

// Damaged, truncated, foreign-version and changed-course ghosts are ignored,
// and so are ghosts with poses no run can have.
TEST_F(Playthrough, BrokenGhostFilesAreIgnored)
{
    RaceWithGhost(this, 0, false);
    std::string good = ReadFile(dir + "ghost/course0.gho");
    ASSERT_GT(good.size(), 40u);
    uint64_t hash = ghost.replay.courseHash;
    GhostRun run = {};
    std::vector<GhostPose> frames(GHOST_MAX_FRAMES);
    run.frames = frames.data();
    ASSERT_EQ(1, LoadGhostFile(0, hash, &run));
    EXPECT_EQ(0, LoadGhostFile(0, hash + 1, &run));          // the course changed
    EXPECT_EQ(0, LoadGhostFile(1, hash, &run));              // no such file

    std::string bad = good;
    bad[60] ^= 1;                                            // a flipped bit
    WriteFileText(dir + "ghost/course0.gho", bad);
    EXPECT_EQ(0, LoadGhostFile(0, hash, &run));
    WriteFileText(dir + "ghost/course0.gho", good.substr(0, good.size() - 9));
    EXPECT_EQ(0, LoadGhostFile(0, hash, &run));
    bad = good;
    bad[4] = 3;                                              // a later version, checksum made good
    uint32_t crc = Crc32(bad.data(), bad.size() - 4);
    for (int i = 0; i < 4; i++) bad[bad.size() - 4 + i] = char(crc >> (8 * i));
    WriteFileText(dir + "ghost/course0.gho", bad);
    EXPECT_EQ(0, LoadGhostFile(0, hash, &run));

    // Poses no run can hold, each with its checksum made good: a NaN, an
    // infinite coordinate, a rotation of length 2 and one of length 0.
    auto withPose = [&good](size_t frame, std::vector<std::pair<int, float>> values) {
        std::string b = good;
        for (auto [k, value] : values)
            std::memcpy(&b[28 + 28 * frame + 4 * k], &value, 4);
        uint32_t sum = Crc32(b.data(), b.size() - 4);
        for (int i = 0; i < 4; i++) b[b.size() - 4 + i] = char(sum >> (8 * i));
        return b;
    };
    const size_t last = (good.size() - 32) / 28 - 1;
    ASSERT_GE(last, 2u);
    for (const std::string& b : {withPose(0, {{0, std::nanf("")}}), withPose(last, {{1, INFINITY}}),
                                 withPose(1, {{6, 2.0f}}), withPose(2, {{3, 0}, {4, 0}, {5, 0}, {6, 0}})}) {
        WriteFileText(dir + "ghost/course0.gho", b);
        EXPECT_EQ(0, LoadGhostFile(0, hash, &run));
    }
    WriteFileText(dir + "ghost/course0.gho", withPose(0, {{0, 1.5f}}));   // an odd place is still a place
    EXPECT_EQ(1, LoadGhostFile(0, hash, &run));
}

// ---------------------------------------------------------------------------
// Controls: bindings, the mouse, quick retry, reduced motion.

// Tilt left moved from the LEFT arrow to A: LEFT no longer moves the ball,
// A steers it into the goal.
TEST_F(Playthrough, ReboundKeySteersTheRace)
{
    ASSERT_EQ(REBIND_DONE, RebindKey(&bindings, ACTION_TILT_LEFT, 0, KEYCODE_A).result);
    StartRace();
    scriptedKeys[KEY_LEFT] = true;
    for (int k = 0; k < 30; k++)
        Frame();
    EXPECT_EQ(0, loop.tilt.x);
    EXPECT_EQ(STATE_RACE, game.state);
    scriptedKeys[KEY_LEFT] = false;
    scriptedCodes[KEYCODE_A] = true;
    Frame();
    EXPECT_EQ(20, loop.tilt.x);
    RunUntilStateLeaves(STATE_RACE, 1200);
    EXPECT_EQ(STATE_GOAL, game.state);
    EXPECT_GE(ballMatrix.m[3][0], 13.6f);
}

// The mouse alone steers the ball into the goal; the pointer is captured in
// the countdown and the race only, and let go by the pause and the goal.
TEST_F(Playthrough, MouseAloneRacesToTheGoal)
{
    EXPECT_EQ(0, SysMouseCaptured());
    ChooseCourse();
    Frame();
    EXPECT_EQ(0, SysMouseCaptured());        // the fly-over
    RunUntilStateLeaves(STATE_INTRO, 200);
    EXPECT_EQ(1, SysMouseCaptured());
    RunUntilStateLeaves(STATE_COUNTDOWN, 400);
    ASSERT_EQ(STATE_RACE, game.state);
    scriptedKeys[KEY_SPACE] = true;
    Frame();
    scriptedKeys[KEY_SPACE] = false;
    EXPECT_EQ(STATE_PAUSE, game.state);
    EXPECT_EQ(0, SysMouseCaptured());
    game.state = STATE_RACE;                 // what resume does
    for (int k = 0; k < 1200 && game.state == STATE_RACE; k++) {
        scriptedMouseDx = -6;                // to the left: toward the goal
        Frame();
    }
    ASSERT_EQ(STATE_GOAL, game.state);
    EXPECT_GE(ballMatrix.m[3][0], 13.6f);
    EXPECT_EQ(0, SysMouseCaptured());
}

// R mid-race goes straight back to the countdown of the reloaded course:
// the clock at 0, the ball at the start, the ghost recording a new run.
// Again during the goal, whose plate must not run on into a result menu.
TEST_F(Playthrough, QuickRetryRestartsFromTheCountdown)
{
    StartRace();
    scriptedKeys[KEY_LEFT] = true;
    for (int k = 0; k < 40; k++)
        Frame();
    scriptedKeys[KEY_LEFT] = false;
    ASSERT_EQ(STATE_RACE, game.state);
    ASSERT_GT(ghost.recording.frameCount, 40u);
    float startX = courseList.courses[0].START[0];
    EXPECT_GT(ballMatrix.m[3][0], 1.0f);
    scriptedCodes[KEYCODE_R] = true;
    Frame();
    EXPECT_EQ(STATE_COUNTDOWN, game.state);
    EXPECT_EQ(0u, loop.raceTimeMs);
    EXPECT_EQ(0u, ghost.recording.frameCount);
    states.clear();
    RunUntilStateLeaves(STATE_COUNTDOWN, 400);   // R still held: one press, one retry
    scriptedCodes[KEYCODE_R] = false;
    EXPECT_EQ(240, FramesIn(STATE_COUNTDOWN));
    ASSERT_EQ(STATE_RACE, game.state);
    EXPECT_NEAR(0.0f, ballMatrix.m[3][0], 0.01f) << "start fraction " << startX;
    EXPECT_EQ(1u, ghost.recording.frameCount);

    scriptedKeys[KEY_LEFT] = true;
    RunUntilStateLeaves(STATE_RACE, 1200);
    scriptedKeys[KEY_LEFT] = false;
    ASSERT_EQ(STATE_GOAL, game.state);
    Frame();
    scriptedCodes[KEYCODE_R] = true;
    Frame();
    scriptedCodes[KEYCODE_R] = false;
    EXPECT_EQ(STATE_COUNTDOWN, game.state);
    EXPECT_EQ(0, loop.goalFrames);
    RunUntilStateLeaves(STATE_COUNTDOWN, 400);
    EXPECT_EQ(STATE_RACE, game.state);
}

// R on the title screen is no retry: there is no race to restart.
TEST_F(Playthrough, QuickRetryOnlyInARace)
{
    scriptedCodes[KEYCODE_R] = true;
    Frame();
    Frame();
    EXPECT_EQ(STATE_TITLE, game.state);
}

// With reduced motion the intro is one frame, already the countdown's
// first; the countdown keeps its 240 frames and the race its clock.
TEST_F(Playthrough, ReducedMotionGoesStraightToTheCountdown)
{
    extras.reducedMotion = 1;
    ChooseCourse();
    Frame();
    EXPECT_EQ(STATE_COUNTDOWN, game.state);
    EXPECT_EQ(0, loop.introFrames);
    RunUntilStateLeaves(STATE_COUNTDOWN, 400);
    EXPECT_EQ(1, FramesIn(STATE_INTRO));
    EXPECT_EQ(239, FramesIn(STATE_COUNTDOWN));
    EXPECT_EQ(STATE_RACE, game.state);
    EXPECT_EQ(0u, loop.raceTimeMs);
}

// ---------------------------------------------------------------------------
// Par, medals, splits and watching, on a course long enough for checkpoints:
// a flat 48 x 8 map 196 units across; LEFT rolls the ball from near its right
// end some 130 units into the goal near its left end.

namespace {

std::string LongCourses(int count, const std::string& objects = "")
{
    std::string ini = "FIELD_TOTAL:[" + std::to_string(count) + "]\r\n";
    for (int i = 0; i < count; i++)
        ini += "FIELD_NUM:[" + std::to_string(i) + "]\r\nFIELD_NAME:[[long " + std::to_string(i) + "]]\r\n"
               "HEIGHT_MAP:[[field\\long.bmp]] FIELD_TEXTURE:[[field\\long.bmp]] DOCUMENT:[[field\\long.txt]]\r\n"
               "MAP_HEIGHT:[3] GRID_SIZE:[4]\r\n"
               "START:[0.8,1,0.5] GOAL:[0.05][0.1][0.15][0.9]\r\n" + (i == 0 ? objects : "");
    return ini;
}

class LongPlaythrough : public Playthrough {
public:
    void SetUp() override
    {
        courseIni = LongCourses(3);
        Playthrough::SetUp();
    }
    // From the course-select confirm to the first Race frame.
    void ToRaceStart(int course)
    {
        states.clear();
        RequestCourseLoad(course);
        EnterIntro();
        RunUntilStateLeaves(STATE_INTRO, 200);
        RunUntilStateLeaves(STATE_COUNTDOWN, 400);
        ASSERT_EQ(STATE_RACE, game.state);
    }
    // LEFT held after `wait` race frames, on to the goal menu; every split
    // shown on the way into *shown. The race time.
    uint32_t RaceFromStart(int wait, std::vector<int32_t>* shown = nullptr)
    {
        if (shown) shown->clear();
        for (int k = 0; game.state == STATE_RACE && k < 1500; k++) {
            scriptedKeys[KEY_LEFT] = k >= wait;
            Frame();
            if (shown && splits.shownFrames == SPLIT_SHOWN_FRAMES) shown->push_back(splits.deltaMs);
        }
        scriptedKeys[KEY_LEFT] = false;
        EXPECT_EQ(STATE_GOAL, game.state);
        uint32_t time = loop.raceTimeMs;
        RunUntilStateLeaves(STATE_GOAL, 200);
        return time;
    }
    uint32_t RaceOn(int course, int wait)
    {
        ToRaceStart(course);
        return RaceFromStart(wait);
    }
    // The player's runs so far become the course's par run and par time,
    // and the player has no record or best run yet.
    void MakeLastRunThePar(int course, uint32_t time)
    {
        ASSERT_EQ(0, system(("mkdir -p " + dir + "par").c_str()));
        std::string from = dir + "ghost/course" + std::to_string(course) + ".gho";
        ASSERT_EQ(0, std::rename(from.c_str(), (dir + "par/course" + std::to_string(course) + ".gho").c_str()));
        ASSERT_EQ(1, WriteParFile(SysGameFolder(), course, time));
        std::remove((dir + "record.sav").c_str());
        courseList.courses[course].bestTimeMs = 0;
        LoadParTimes();
        ghost.loadedCourse = -1;
    }
};

// A course with a box that drops from the air when the race begins.
class WatchPlaythrough : public LongPlaythrough {
public:
    void SetUp() override
    {
        courseIni = LongCourses(1, "OBJECT:[BOX][2,2,2][0.5,4,0.1][0,0,0][1][0]\r\n");
        Playthrough::SetUp();
    }
};

std::vector<int32_t> Repeated(int32_t delta) { return std::vector<int32_t>(SPLIT_CHECKPOINTS, delta); }

}  // namespace

// Until the player has a best run the par run races along and the splits
// are taken against it; then the player's best does (the same driving is
// level everywhere, a later start behind everywhere); the par choice brings
// the par run back, and no ghost means no splits.
TEST_F(LongPlaythrough, TheParGhostRacesUntilTheFirstBestAndSplitsCompare)
{
    const uint32_t slow = RaceOn(0, 30);
    MakeLastRunThePar(0, slow);
    ASSERT_EQ(slow, courseList.courses[0].parTimeMs);

    std::vector<int32_t> shown;
    ToRaceStart(0);
    EXPECT_TRUE(ghost.replayIsPar);
    EXPECT_EQ(slow, ghost.replay.timeMs);
    EXPECT_EQ(SPLIT_CHECKPOINTS, splits.count);
    const uint32_t fast = RaceFromStart(0, &shown);
    ASSERT_EQ(slow - 30 * 16, fast);            // the same roll, 30 frames sooner
    EXPECT_EQ(Repeated(-480), shown);
    EXPECT_TRUE(splits.finished);
    EXPECT_EQ(-480, splits.deltaMs);
    EXPECT_EQ(MEDAL_GOLD, MedalFor(courseList.courses[0].bestTimeMs, courseList.courses[0].parTimeMs));

    ToRaceStart(0);
    EXPECT_FALSE(ghost.replayIsPar);
    EXPECT_EQ(fast, ghost.replay.timeMs);
    RaceFromStart(0, &shown);
    EXPECT_EQ(Repeated(0), shown);
    EXPECT_EQ(0, splits.deltaMs);
    ToRaceStart(0);
    RaceFromStart(20, &shown);
    EXPECT_EQ(Repeated(320), shown);
    EXPECT_EQ(320, splits.deltaMs);

    extras.ghostChoice = GHOST_PAR;
    ToRaceStart(0);
    EXPECT_TRUE(ghost.replayIsPar);
    EXPECT_EQ(slow, ghost.replay.timeMs);
    RaceFromStart(0, &shown);
    EXPECT_EQ(Repeated(-480), shown);

    extras.ghostChoice = GHOST_NONE;
    ToRaceStart(0);
    EXPECT_EQ(0u, ghost.replay.frameCount);
    Matrix pose;
    EXPECT_FALSE(GhostPoseShown(&pose));
    RaceFromStart(0, &shown);
    EXPECT_TRUE(shown.empty());
    EXPECT_FALSE(splits.finished);
    EXPECT_TRUE(messages.empty()) << messages.front();
}

// Three courses with the same par: a goal at par is gold, one a quarter
// slower silver, three quarters slower bronze; a better run raises a
// course's medal, a worse one keeps it; the title shows a disc per kind.
TEST_F(LongPlaythrough, MedalCountsAfterSeveralGoals)
{
    const uint32_t par = RaceOn(0, 0);
    for (int i = 0; i < 3; i++)
        ASSERT_EQ(1, WriteParFile(SysGameFolder(), i, par));
    LoadParTimes();
    const int frames = int(par / 16);
    RaceOn(1, frames / 4);
    RaceOn(2, frames * 3 / 4);
    MedalCounts counts = CountMedals();
    EXPECT_EQ(1, counts.gold);
    EXPECT_EQ(1, counts.silver);
    EXPECT_EQ(1, counts.bronze);
    RaceOn(2, 0);
    RaceOn(1, frames * 3 / 4);
    counts = CountMedals();
    EXPECT_EQ(2, counts.gold);
    EXPECT_EQ(1, counts.silver);
    EXPECT_EQ(0, counts.bronze);

    game.state = STATE_TITLE;
    ResetTitle();
    for (int k = 0; k < 100; k++)
        Frame();
    UpdateTitle(loop.tilt);                        // one more frame's sprites, before they are drawn
    std::vector<QueuedSprite> queued(512);
    queued.resize(QueuedSpritesInDrawOrder(queued.data(), 512));
    FlushSprites();
    int discs = 0;
    for (const QueuedSprite& q : queued)
        for (int medal : {MEDAL_GOLD, MEDAL_SILVER, MEDAL_BRONZE})
            discs += q.corners[0].colour == MedalColour(medal);
    EXPECT_EQ(3, discs);
}

// A pack's course with a best run: course select shows the pack's name (too
// long for the room, so set smaller and cut) and the hint to watch the run
// above the panel, side by side; neither covers the other.
TEST_F(LongPlaythrough, PackNameAndWatchHintShareTheRowAboveThePanel)
{
    const std::string pack = dir + "courses/pack/";
    ASSERT_EQ(0, system(("mkdir -p '" + pack + "field' && cp " + dir + "field/long.* '" + pack + "field/'").c_str()));
    WriteFileText(pack + "course.ini", "# PACK_NAME:[[" + std::string(60, 'W') + "]]\r\n" + LongCourses(1));
    StopScriptedGame();
    ASSERT_EQ(1, StartScriptedGame(dir, CatchBox));
    ASSERT_EQ(4, courseList.courseCount);
    RaceOn(3, 0);

    game.state = STATE_COURSE_SELECT;
    ShowCourseAgain(3, false);
    ResetCourseSelect();
    for (int k = 0; k < 200 && GetCourseSelect().phase != SELECT_BROWSING; k++)
        Frame();
    ASSERT_TRUE(GetCourseSelect().watchable);
    UpdateCourseSelect(loop.tilt);                 // one more frame's sprites, before they are drawn
    std::vector<QueuedSprite> queued(4096);
    queued.resize(QueuedSpritesInDrawOrder(queued.data(), 4096));
    FlushSprites();
    // The row above the panel (its frame begins at 332): the hint's glyphs
    // in its own ink, the label's in the menu's ink and shadow.
    float hintLeft = 640, labelLeft = 640, labelRight = 0;
    for (const QueuedSprite& q : queued) {
        float left = 640, right = 0, top = 480, bottom = 0;
        for (const SpriteVertex& v : q.corners) {
            left = std::min(left, v.x), right = std::max(right, v.x);
            top = std::min(top, v.y), bottom = std::max(bottom, v.y);
        }
        if (top < 300 || bottom > 332)
            continue;
        if (q.corners[0].colour == 0xFF506080u) {
            hintLeft = std::min(hintLeft, left);
        } else {
            labelLeft = std::min(labelLeft, left);
            labelRight = std::max(labelRight, right);
        }
    }
    ASSERT_LT(hintLeft, 640.0f);
    ASSERT_LT(labelLeft, labelRight);
    EXPECT_GE(labelLeft, 51.2f);                   // within the panel's width
    EXPECT_LT(labelRight, hintLeft);
    EXPECT_TRUE(messages.empty()) << messages.front();
}

// A version-1 ghost (no obstacles) still reads, pose for pose.
TEST_F(Playthrough, VersionOneGhostStillReads)
{
    RaceWithGhost(this, 0, false);
    std::string v2 = ReadFile(dir + "ghost/course0.gho");
    ASSERT_GT(v2.size(), 40u);
    EXPECT_EQ(2, v2[4]);
    // Version 1: the same header and poses, no obstacle count, its own checksum.
    std::string v1 = v2.substr(0, v2.size() - 8);
    v1[4] = 1;
    uint32_t crc = Crc32(v1.data(), v1.size());
    for (int i = 0; i < 4; i++) v1.push_back(char(crc >> (8 * i)));
    WriteFileText(dir + "ghost/course0.gho", v1);
    std::vector<GhostPose> frames(GHOST_MAX_FRAMES);
    GhostRun run = {};
    run.frames = frames.data();
    ASSERT_EQ(1, LoadGhostFile(0, ghost.replay.courseHash, &run));
    EXPECT_EQ(ghost.replay.timeMs, run.timeMs);
    ASSERT_EQ(ghost.replay.frameCount, run.frameCount);
    EXPECT_EQ(0u, run.obstacleCount);
    for (uint32_t k = 0; k < run.frameCount; k++)
        ASSERT_EQ(0, std::memcmp(&frames[k], &ghost.replay.frames[k], sizeof(GhostPose))) << "frame " << k;
    free(run.obstacleFrames);
}

// From course select, a backward tilt watches the best run: the ball and the
// dropping box go where the run recorded them, each picture looks at the
// ball through the race camera, the clock reaches the run's
// own time with the ball in the goal, the goal plate shows, and course
// select comes back by itself.
TEST_F(WatchPlaythrough, WatchingARunReachesTheGoalAtItsOwnTime)
{
    const uint32_t time = RaceOn(0, 0);
    ASSERT_EQ(1u, ghost.replay.obstacleCount);
    ghost.loadedCourse = -1;                       // read back from the file
    game.state = STATE_COURSE_SELECT;
    ResetCourseSelect();
    for (int k = 0; k < 200 && GetCourseSelect().phase != SELECT_BROWSING; k++)
        Frame();
    ASSERT_EQ(SELECT_BROWSING, GetCourseSelect().phase);
    EXPECT_TRUE(GetCourseSelect().watchable);
    EXPECT_FALSE(GetCourseSelect().watchIsPar);
    scriptedKeys[KEY_DOWN] = true;
    RunUntilStateLeaves(STATE_COURSE_SELECT, 100);
    scriptedKeys[KEY_DOWN] = false;
    ASSERT_EQ(STATE_WATCH, game.state);

    const ObstacleDef& box = *courseList.courses[0].firstObstacle;
    int frames = 0, goalFrame = 0;
    while (game.state == STATE_WATCH && frames < 2000) {
        Frame();
        frames++;
        if (game.state != STATE_WATCH) break;
        ASSERT_EQ(1u, ghost.replay.obstacleCount);
        ASSERT_LE(loop.raceTimeMs, time);
        uint32_t k = GhostFrameAt(loop.raceTimeMs);
        const GhostPose& ball = ghost.replay.frames[k];
        const GhostPose& recordedBox = ghost.replay.obstacleFrames[k];
        // The picture looks at the replayed ball through the race camera.
        const CameraPose& seen = LastPictureScene().camera;
        const CameraPose race = RaceCameraPose();
        const float eye[3] = {seen.eye.x - race.eye.x, seen.eye.y - race.eye.y, seen.eye.z - race.eye.z};
        const float at[3] = {seen.target.x, seen.target.y, seen.target.z};
        for (int c = 0; c < 3; c++) {
            ASSERT_NEAR(ball.position[c], ballMatrix.m[3][c], 1e-4f) << "frame " << frames;
            ASSERT_NEAR(recordedBox.position[c], box.world.m[3][c], 1e-4f) << "frame " << frames;
            ASSERT_NEAR(0, eye[c], 1e-4f) << "frame " << frames;
            ASSERT_NEAR(ball.position[c], at[c], 1e-4f) << "frame " << frames;
        }
        const CameraPose& camera = LastPictureScene().camera;
        ASSERT_NEAR(ball.position[0], camera.target.x, 1e-3f) << "frame " << frames;
        ASSERT_NEAR(ball.position[2], camera.target.z, 1e-3f) << "frame " << frames;
        if (!goalFrame && loop.raceTimeMs == time) {
            goalFrame = frames;
            EXPECT_TRUE(IsBallInGoal());
        }
    }
    EXPECT_EQ(int(60 + time / 16), goalFrame);     // a second at the start, then the run's own frames
    EXPECT_EQ(goalFrame + 120 + 90, frames);
    EXPECT_EQ(STATE_COURSE_SELECT, game.state);
    // The box dropped during the run, and was shown dropping.
    EXPECT_GT(ghost.replay.obstacleFrames[0].position[1], box.world.m[3][1] + 5);
    EXPECT_TRUE(messages.empty()) << messages.front();
}

// A version-2 ghost whose obstacle list or poses no run can have is refused
// like a damaged one (checksums made good): an obstacle the course lacks, a
// pose that is not a number, a rotation that is not a unit one.
TEST_F(WatchPlaythrough, ObstaclePosesNoRunCanHaveAreRefused)
{
    RaceOn(0, 0);
    const std::string good = ReadFile(dir + "ghost/course0.gho");
    const uint64_t hash = ghost.replay.courseHash;
    const size_t list = 28 + 28 * size_t(ghost.replay.frameCount);   // the obstacle count's place
    ASSERT_EQ(good.size(), list + 4 + 4 + 28 * size_t(ghost.replay.frameCount) + 4);
    auto patched = [&good](size_t at, const void* value) {
        std::string b = good;
        std::memcpy(&b[at], value, 4);
        uint32_t crc = Crc32(b.data(), b.size() - 4);
        for (int i = 0; i < 4; i++) b[b.size() - 4 + i] = char(crc >> (8 * i));
        return b;
    };
    const uint32_t missing = 1;
    const float nan = std::nanf(""), two = 2.0f, height = 1e6f;
    std::vector<GhostPose> frames(GHOST_MAX_FRAMES);
    GhostRun run = {};
    run.frames = frames.data();
    for (const std::string& b : {patched(list + 4, &missing), patched(list + 8 + 28 * 5 + 4, &nan),
                                 patched(list + 8 + 28 * 7 + 24, &two)}) {
        WriteFileText(dir + "ghost/course0.gho", b);
        EXPECT_EQ(0, LoadGhostFile(0, hash, &run));
    }
    WriteFileText(dir + "ghost/course0.gho", patched(list + 8 + 4, &height));   // high, but a place
    EXPECT_EQ(1, LoadGhostFile(0, hash, &run));
    EXPECT_EQ(1u, run.obstacleCount);
    free(run.obstacleFrames);
}

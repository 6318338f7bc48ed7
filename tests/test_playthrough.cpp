// End to end on the null platform: start-up from setting files, then a race
// driven frame by frame with scripted keys through Intro, Countdown, Race and
// Goal (or Miss), checking the state chain, the race clock and record.sav.
#include <gtest/gtest.h>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "core/game.h"
#include "app/ghost.h"
#include "app/loop.h"
#include "render/scene.h"
#include "data/course_list.h"
#include "physics/physics.h"
#include "platform/pad.h"
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
        WriteFileText(dir + "sprite.ini", "PLANE_NUM:[0]\r\n");
        WriteFileText(dir + "def.ini", "GRAVITY:[1][1][1]\r\nBALL_SIZE:[3]\r\nBALL_SPEED:[0.5]\r\n");
        // W = H = 17 * 4 = 68; start at the centre resting on the ground;
        // the goal lies toward +x (fractions 0.1 .. 0.3 from the left edge).
        WriteFileText(dir + "course.ini",
                  "FIELD_TOTAL:[1]\r\nFIELD_NUM:[0]\r\nFIELD_NAME:[[flat]]\r\n"
                  "HEIGHT_MAP:[[field\\MAP.bmp]] FIELD_TEXTURE:[[field\\map.bmp]]\r\n"
                  "MAP_HEIGHT:[3] GRID_SIZE:[4]\r\n"
                  "START:[0.5,1,0.5] GOAL:[0.1][0.3][0.3][0.7]\r\n");
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
    bad[4] = 2;                                              // version 2, checksum made good
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

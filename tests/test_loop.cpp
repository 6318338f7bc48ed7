// The main loop on the null platform, driven frame by frame with a scripted
// clock and key state.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>
#include <vector>

#include "core/game.h"
#include "app/loop.h"
#include "app/race.h"
#include "physics/physics.h"
#include "platform/hid_sim.h"
#include "platform/sys.h"
#include "screens/screens.h"
#include "sensor/board.h"
#include "support/scripted_input.h"

namespace {

std::vector<uint32_t> sleeps;

void RecordSleep(uint32_t ms) { sleeps.push_back(ms); }
void SilentBox(const char*) {}

class LoopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallScriptedInput(SilentBox, RecordSleep);
        scriptedClockMs = 1000;
        sleeps.clear();
        // Whatever an earlier case left: a quit seen, a message not taken.
        ResetLoopRun();
        SysMessage leftover;
        while (SysPeekMessage(&leftover)) {
        }
        game = Game{};
        loop = LoopState{};
        loop.previousGrounded = 1;
        loop.frameTime = scriptedClockMs;
        for (int i = 0; i < 3; i++)
            game.settings.ballTypes[i].size = 3.0f;
        game.settings.renderFlags = 12;
        CreatePhysicsWorld();
    }
    void TearDown() override
    {
        DestroyPhysicsWorld();
        SysSetHooks(nullptr);
    }

    // One frame 16 ms after the last, with input sampled first as the loop does.
    void Press(SysKey key, bool down) { scriptedKeys[key] = down; }
};

// The gate opens at 16 ms, also across the 32-bit wrap of the clock.
TEST_F(LoopTest, FrameGateIsSixteenUnsignedMilliseconds)
{
    EXPECT_FALSE(FrameDue(1015, 1000));
    EXPECT_TRUE(FrameDue(1016, 1000));
    EXPECT_TRUE(FrameDue(8, 0xFFFFFFF8u));
    EXPECT_FALSE(FrameDue(7, 0xFFFFFFF8u));
}

// An idle pass sleeps until about 1 ms before the frame is due, and a due
// pass runs exactly one frame and moves the reference time to "now".
TEST_F(LoopTest, IdlePassSleepsThenFrameRuns)
{
    game.state = STATE_TITLE;
    loop.frameTime = 1000;
    scriptedClockMs = 1005;
    EXPECT_TRUE(RunPass());
    ASSERT_EQ(sleeps.size(), 1u);
    EXPECT_EQ(sleeps[0], 10u);
    EXPECT_EQ(loop.frameTime, 1000u);
    scriptedClockMs = 1016;
    EXPECT_TRUE(RunPass());
    EXPECT_EQ(loop.frameTime, 1016u);
    EXPECT_EQ(sleeps.size(), 1u);
}

// Intro runs 180 frames, the countdown exactly 240 (its first frame is the
// one that left the intro), then the race begins with the clock at 0.
TEST_F(LoopTest, IntroAndCountdownLastTheirFrames)
{
    EnterIntro();
    EXPECT_EQ(loop.introFrames, 180);
    ScriptedFrames(179);
    EXPECT_EQ(game.state, STATE_INTRO);
    ScriptedFrame();
    EXPECT_EQ(game.state, STATE_COUNTDOWN);
    EXPECT_EQ(loop.countdownFrames, 59);
    EXPECT_EQ(loop.countdownStep, 0);
    ScriptedFrames(59);
    EXPECT_EQ(loop.countdownStep, 1);
    EXPECT_EQ(loop.countdownFrames, 60);
    ScriptedFrames(179);
    EXPECT_EQ(game.state, STATE_COUNTDOWN);
    EXPECT_EQ(loop.countdownStep, 3);
    ScriptedFrame();
    EXPECT_EQ(game.state, STATE_RACE);
    EXPECT_EQ(loop.countdownStep, 4);
    EXPECT_EQ(loop.raceTimeMs, 0u);
}

// A button held from the menu that started the race does not skip the
// intro; releasing and pressing again does, and the countdown cannot be skipped.
TEST_F(LoopTest, IntroSkipNeedsTheButtonReleasedFirst)
{
    Press(KEY_SPACE, true);
    EnterIntro();
    ScriptedFrames(10);
    EXPECT_EQ(game.state, STATE_INTRO);
    EXPECT_EQ(loop.introFrames, 170);
    Press(KEY_SPACE, false);
    ScriptedFrame();
    EXPECT_EQ(loop.releaseLatch, 0);
    EXPECT_EQ(game.state, STATE_INTRO);
    Press(KEY_SPACE, true);
    ScriptedFrame();
    EXPECT_EQ(game.state, STATE_COUNTDOWN);
    EXPECT_EQ(loop.introFrames, 0);
    EXPECT_EQ(loop.countdownFrames, 59);
    ScriptedFrames(30);
    EXPECT_EQ(game.state, STATE_COUNTDOWN);
    EXPECT_EQ(loop.countdownFrames, 29);
}

// The race clock adds exactly 16 per Race or Miss frame and stands still
// in every other state.
TEST_F(LoopTest, RaceClockCountsRaceAndMissFramesOnly)
{
    game.state = STATE_RACE;
    ScriptedFrames(100);
    EXPECT_EQ(loop.raceTimeMs, 1600u);
    game.state = STATE_GOAL;
    loop.goalFrames = 120;
    ScriptedFrames(5);
    EXPECT_EQ(loop.raceTimeMs, 1600u);
    game.state = STATE_MISS;
    loop.missFrames = 120;
    ScriptedFrames(3);
    EXPECT_EQ(loop.raceTimeMs, 1648u);
    game.state = STATE_PAUSE;
    ScriptedFrames(3);
    EXPECT_EQ(loop.raceTimeMs, 1648u);
}

// The clock is unsigned 32-bit and wraps rather than saturating.
TEST_F(LoopTest, RaceClockWrapsAsUnsigned)
{
    game.state = STATE_RACE;
    loop.raceTimeMs = 0xFFFFFFF8u;
    ScriptedFrame();
    EXPECT_EQ(loop.raceTimeMs, 8u);
}

// Miss and Goal each show 120 frames, then open their result menu.
TEST_F(LoopTest, MissAndGoalLastOneHundredTwentyFrames)
{
    game.state = STATE_MISS;
    loop.missFrames = 120;
    ScriptedFrames(119);
    EXPECT_EQ(game.state, STATE_MISS);
    ScriptedFrame();
    EXPECT_EQ(game.state, STATE_MISS_MENU);

    EnterGoal();
    EXPECT_EQ(game.state, STATE_GOAL);
    ScriptedFrames(119);
    EXPECT_EQ(game.state, STATE_GOAL);
    ScriptedFrame();
    EXPECT_EQ(game.state, STATE_GOAL_MENU);
    ScriptedFrames(10);
    EXPECT_EQ(game.state, STATE_GOAL_MENU);
}

// The button pauses a race; the paused world's clock stands still.
TEST_F(LoopTest, ButtonPausesTheRace)
{
    game.state = STATE_RACE;
    ScriptedFrame();
    Press(KEY_SPACE, true);
    ScriptedFrame();
    EXPECT_EQ(game.state, STATE_PAUSE);
    EXPECT_EQ(loop.raceTimeMs, 32u);
    ScriptedFrames(5);
    EXPECT_EQ(game.state, STATE_PAUSE);
    EXPECT_EQ(loop.raceTimeMs, 32u);
}

// Each function key acts once per press, however long it is held; F5 and
// F6 wrap from 2 to 0.
TEST_F(LoopTest, FunctionKeysToggleOncePerPress)
{
    game.state = STATE_TITLE;
    Press(KEY_F1, true);
    ScriptedFrames(5);
    EXPECT_EQ(game.settings.renderFlags, 12u | WYREFRAME);
    Press(KEY_F1, false);
    ScriptedFrame();
    Press(KEY_F1, true);
    ScriptedFrame();
    EXPECT_EQ(game.settings.renderFlags, 12u);

    Press(KEY_F1, false);
    Press(KEY_F2, true);
    Press(KEY_F3, true);
    Press(KEY_F4, true);
    ScriptedFrames(3);
    EXPECT_EQ(game.settings.renderFlags, unsigned(FLATSHADING));

    for (int i = 0; i < 3; i++) {
        Press(KEY_F5, true);
        Press(KEY_F6, true);
        ScriptedFrame();
        Press(KEY_F5, false);
        Press(KEY_F6, false);
        ScriptedFrame();
    }
    EXPECT_EQ(game.settings.cameraLengthSel, 0);
    EXPECT_EQ(game.settings.cameraPitchSel, 0);
    Press(KEY_F5, true);
    ScriptedFrame();
    EXPECT_EQ(game.settings.cameraLengthSel, 1);
    EXPECT_EQ(game.settings.cameraPitchSel, 0);
}

// The work of a frame follows the state read at its start: a frame that
// leaves Race for Pause does not also run the pause menu.
TEST_F(LoopTest, FunctionKeysWorkInEveryState)
{
    for (int state = STATE_TITLE; state <= STATE_GOAL_MENU; state++) {
        game = Game{};
        game.settings.ballTypes[0].size = 3.0f;
        game.state = state;
        Press(KEY_F4, true);
        ScriptedFrame();
        Press(KEY_F4, false);
        ScriptedFrame();
        EXPECT_EQ(game.settings.renderFlags, unsigned(DRAWSHADOW)) << "state " << state;
    }
}

// A reload request is served by the input pass before the next frame; a
// negative index only clears the request.
TEST_F(LoopTest, ReloadRequestIsClearedBeforeTheFrame)
{
    RequestCourseLoad(-1);
    EXPECT_EQ(loop.courseReloadPending, 1);
    SampleInput();
    EXPECT_EQ(loop.courseReloadPending, 0);
}

// Without a board SPACE is the button, and the sample is not "connected".
TEST_F(LoopTest, SpaceIsTheButtonWithoutABoard)
{
    Press(KEY_SPACE, true);
    SampleInput();
    EXPECT_NE(loop.tilt.button, 0);
    EXPECT_EQ(loop.tilt.connected, 0);
    Press(KEY_SPACE, false);
    SampleInput();
    EXPECT_EQ(loop.tilt.button, 0);
}

// Closing the window ends the loop on the quit message that follows the
// destroy, with exit code 0; the Exit state ends it too.
TEST_F(LoopTest, CloseRequestEndsTheLoopOnQuit)
{
    game.state = STATE_TITLE;
    SysPostMessage(SYS_MSG_CLOSE, 0);
    EXPECT_TRUE(RunPass());    // close -> destroy
    EXPECT_TRUE(RunPass());    // destroy -> quit
    EXPECT_FALSE(RunPass());   // quit
    EXPECT_EQ(LastQuitCode(), 0);

    game.state = STATE_EXIT;
    EXPECT_FALSE(RunPass());
}

// SIGTERM (a logout, `kill`) is a close request: the loop ends through its
// own shutdown with exit code 0 instead of the process dying mid-save.
TEST_F(LoopTest, StopSignalIsACloseRequest)
{
    SysCatchStopSignals();
    game.state = STATE_TITLE;
    raise(SIGTERM);
    int passes = 0;
    while (RunPass() && passes < 10)
        passes++;
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
    signal(SIGHUP, SIG_DFL);
    EXPECT_EQ(passes, 2);      // close -> destroy -> quit
    EXPECT_EQ(LastQuitCode(), 0);
}

// The previous frame's tilt is this frame's sample once the frame is done.
TEST_F(LoopTest, PreviousTiltIsTheLastFramesSample)
{
    game.state = STATE_TITLE;
    Press(KEY_Z, true);
    ScriptedFrame();
    EXPECT_EQ(loop.previousTilt.y, loop.tilt.y);
    float held = loop.tilt.y;
    Press(KEY_Z, false);
    SampleInput();
    EXPECT_NE(loop.tilt.y, held);
    EXPECT_EQ(loop.previousTilt.y, held);
}

// Shutdown's wait for the board thread, counted in 100 ms steps taken on
// the main thread; the board thread's own sleeps really sleep.
std::thread::id mainThread;
std::vector<uint32_t> mainSleeps;
void MainThreadSleep(uint32_t ms)
{
    if (std::this_thread::get_id() == mainThread)
        mainSleeps.push_back(ms);
    else
        SysSleepMicroseconds(ms * 1000u);
}

class ShutdownTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mainThread = std::this_thread::get_id();
        mainSleeps.clear();
        SysHooks hooks{};
        hooks.sleep = MainThreadSleep;
        hooks.errorBox = SilentBox;
        SysSetHooks(&hooks);
        SimBoardReset();
        HidSelectTransport(SimBoardTransport());
    }
    void TearDown() override
    {
        SimBoardSetPresent(0);   // frees a thread still held in a read
        for (int i = 0; i < 200 && !BoardThreadFinished(); i++)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        HidSelectTransport(nullptr);
        SysSetHooks(nullptr);
    }
};

// A board thread that has already ended costs shutdown one 100 ms step.
TEST_F(ShutdownTest, FinishedThreadCostsOneStep)
{
    ASSERT_TRUE(BoardThreadFinished());
    ShutDown();
    EXPECT_EQ(mainSleeps, std::vector<uint32_t>{100});
}

// A thread stuck in a read that never returns holds shutdown for at most
// ten 100 ms steps.
TEST_F(ShutdownTest, StuckThreadIsGivenUpAfterOneSecond)
{
    StartBoardThread();
    SimBoardArmFault(SIM_ANY, SIM_HOLD_READ, -1);
    for (int i = 0; i < 400 && !SimBoardReadHeld(); i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(SimBoardReadHeld());
    ShutDown();
    EXPECT_EQ(mainSleeps, std::vector<uint32_t>(10, 100));
    EXPECT_FALSE(BoardThreadFinished());
}

}  // namespace

// Pacing on the null platform with a simulated clock and display: logic
// steps at 62.5 a second whatever the refresh rate, pictures at the
// display's pace blending the last two steps, catch-up after a stall, and
// logic that does not change with the pacing (a ghost recorded the old way
// replays the same).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/ghost.h"
#include "app/loop.h"
#include "core/game.h"
#include "data/extras.h"
#include "physics/physics.h"
#include "platform/sys.h"
#include "render/scene.h"
#include "support/physics_support.h"

namespace {

// A picture as the simulated display received it.
struct Present {
    uint64_t atUs;        // the clock when it was handed over
    float ballX;          // where it drew the ball
    float blend;          // between the last two steps
    uint32_t raceTimeMs;  // the race clock of the last step
};

// The simulated display: a clock that moves only by sleeping, by a present
// waiting for the refresh (vsync), or by the test.
struct SimulatedDisplay {
    uint64_t nowUs;
    int hz;
    bool vsync;                   // the driver grants vsync
    std::vector<Present> presents;
};
SimulatedDisplay sim;

uint64_t SimMicroseconds() { return sim.nowUs; }
void SimSleep(uint32_t ms) { sim.nowUs += uint64_t(ms) * 1000; }
int SimRefresh() { return sim.hz; }
int SimVsync(int on) { return on && sim.vsync; }
int NoKeys(SysKey) { return 0; }

// The first refresh strictly after `t`.
uint64_t NextRefresh(uint64_t t)
{
    uint64_t hz = uint64_t(sim.hz);
    for (uint64_t k = t * hz / 1000000;; k++) {
        uint64_t at = (k * 1000000 + hz / 2) / hz;   // to the nearest microsecond
        if (at > t)
            return at;
    }
}

void SimSwap()
{
    sim.presents.push_back({sim.nowUs, LastPictureScene().ball.m[3][0], LastPictureBlend(), loop.raceTimeMs});
    if (sim.vsync)
        sim.nowUs = NextRefresh(sim.nowUs);
}

// (largest - smallest) / mean of the steps between successive positions.
double Spread(const std::vector<float>& xs)
{
    std::vector<double> moves;
    for (size_t i = 1; i < xs.size(); i++)
        moves.push_back(double(xs[i]) - double(xs[i - 1]));
    if (moves.empty())
        return 0;
    double sum = 0;
    for (double m : moves)
        sum += m;
    auto range = std::minmax_element(moves.begin(), moves.end());
    return (*range.second - *range.first) / (sum / double(moves.size()));
}

// What a display without vsync shows at each refresh: the last picture
// handed over before it.
std::vector<float> ShownAtRefreshes(uint64_t from, uint64_t to)
{
    std::vector<float> shown;
    size_t next = 0;
    for (uint64_t t = NextRefresh(from); t < to; t = NextRefresh(t)) {
        while (next < sim.presents.size() && sim.presents[next].atUs < t)
            next++;
        if (next > 0)
            shown.push_back(sim.presents[next - 1].ballX);
    }
    return shown;
}

std::vector<float> PresentedX()
{
    std::vector<float> xs;
    for (const Present& p : sim.presents)
        xs.push_back(p.ballX);
    return xs;
}

int SteeredKeys(SysKey key);

// Races on flat ground, on the simulated display.
class PacingTest : public ::testing::Test {
protected:
    void SetUp() override { savedExtras = extras; }
    void TearDown() override
    {
        EndRace();
        extras = savedExtras;
    }

    // The ball floats above the ground at a steady 10 units a second along x
    // (no gravity, nothing to touch, no steering).
    void StartFloatingRace(int hz, bool vsync)
    {
        StartRace(hz, vsync, NoKeys);
        AddCourseBody(BODY_SPHERE, -40, 50, 0, 3, 3, 3, 2, 0, 0, 0, 0);
        SetCourseGravity(0);
        PushBall({20, 0, 0}, {0, 0, 0});
        SyncCourseTransforms();
    }
    // The ball rolls on the ground, steered by keys chosen by the race clock.
    void StartSteeredRace(int hz, bool vsync)
    {
        StartRace(hz, vsync, SteeredKeys);
        AddCourseBody(BODY_SPHERE, 0, 3.5f, 0, 3, 3, 3, 2, 0.2f, 0, 0, 0);
        SetCourseGravity(58.5f);
        SyncCourseTransforms();
    }
    void EndRace()
    {
        if (!started)
            return;
        DestroyPhysicsWorld();
        courseList = {};
        SysSetHooks(nullptr);
        started = false;
    }

    // Passes of the real loop for `us` of simulated time; a pass that neither
    // sleeps nor waits for the display costs 20 us (a yield, its own work).
    static void RunFor(uint64_t us)
    {
        uint64_t end = sim.nowUs + us;
        while (sim.nowUs < end) {
            uint64_t before = sim.nowUs;
            RunPass();
            if (sim.nowUs == before)
                sim.nowUs += 20;
        }
    }
    // The loop as it paced itself before: one step and one picture whenever
    // 16 ms had passed, polled to the millisecond, no vsync.
    static void RunOldPacingFor(uint64_t us)
    {
        uint64_t end = sim.nowUs + us;
        while (sim.nowUs < end) {
            uint32_t now = SysMilliseconds();
            SampleInput();
            if (FrameDue(now, loop.frameTime))
                RunFrame(now);
            else if (now - loop.frameTime < 15)
                SysSleep(15 - (now - loop.frameTime));
            else
                sim.nowUs += 20;
        }
    }

private:
    void StartRace(int hz, bool vsync, int (*keys)(SysKey))
    {
        EndRace();
        sim = SimulatedDisplay{};
        sim.nowUs = 1000000;
        sim.hz = hz;
        sim.vsync = vsync;
        SysHooks hooks = {};
        hooks.keyDown = keys;
        hooks.microseconds = SimMicroseconds;
        hooks.sleep = SimSleep;
        hooks.swapBuffers = SimSwap;
        hooks.refreshRate = SimRefresh;
        hooks.setVsync = SimVsync;
        SysSetHooks(&hooks);
        extras.vsync = 1;
        game = Game{};
        loop = LoopState{};
        loop.previousGrounded = 1;
        loop.frameTime = uint32_t(sim.nowUs / 1000);
        SetBallType(3, 2, 0.2f);
        courses.assign(1, TestCourse{});
        courses[0].def.GRID_SIZE = 5;
        courses[0].def.bestTimeMs = 1;   // never beaten: nothing is saved
        InstallCourses(&courses);
        CreatePhysicsWorld();
        BuildTerrainCollision(MakeFlatGrid(41, 41, 5), 0.2f);
        game.state = STATE_RACE;
        started = true;
    }
    Extras savedExtras;
    std::vector<TestCourse> courses;
    bool started = false;
};

const int kRates[] = {30, 60, 75, 144, 240};

}  // namespace

// With vsync at every rate: 62.5 steps a second, one picture per refresh,
// the blend in [0, 1) and growing between steps, and the ball moving by the
// same amount from picture to picture (the old pacing's unevenness, seen at
// each refresh, is printed beside it).
TEST_F(PacingTest, VsyncPicturesAreEvenAtEveryRate)
{
    for (int hz : kRates) {
        StartFloatingRace(hz, true);
        RunFor(200000);
        sim.presents.clear();
        uint32_t raceBefore = loop.raceTimeMs;
        RunFor(2000000);
        EXPECT_NEAR((loop.raceTimeMs - raceBefore) / 16.0 / 2.0, 62.5, 0.5) << hz << " Hz";
        EXPECT_NEAR(double(sim.presents.size()), 2.0 * hz, 1.0) << hz << " Hz";
        for (size_t i = 0; i < sim.presents.size(); i++) {
            const Present& p = sim.presents[i];
            ASSERT_TRUE(p.blend >= 0 && p.blend < 1) << hz << " Hz, blend " << p.blend;
            if (i > 0 && sim.presents[i - 1].raceTimeMs == p.raceTimeMs) {
                ASSERT_GT(p.blend, sim.presents[i - 1].blend) << hz << " Hz";
            }
        }
        double spread = Spread(PresentedX());
        EXPECT_LE(spread, 0.02) << hz << " Hz";

        StartFloatingRace(hz, false);
        RunOldPacingFor(200000);
        sim.presents.clear();
        uint64_t from = sim.nowUs;
        RunOldPacingFor(2000000);
        double old = Spread(ShownAtRefreshes(from, sim.nowUs));
        printf("[ pacing ] %3d Hz: ball travel per shown picture spreads %.2f %% of its mean "
               "(%.1f %% with one picture per 16 ms step)\n", hz, 100 * spread, 100 * old);
        RecordProperty("spread_" + std::to_string(hz) + "hz_percent", std::to_string(100 * spread));
        RecordProperty("old_spread_" + std::to_string(hz) + "hz_percent", std::to_string(100 * old));
    }
}

// Without vsync the pictures keep to the refresh rate (a menu never burns a
// core) and stay as even.
TEST_F(PacingTest, WithoutVsyncPicturesAreCappedAtTheRefreshRate)
{
    for (int hz : {60, 144}) {
        StartFloatingRace(hz, false);
        RunFor(200000);
        sim.presents.clear();
        RunFor(2000000);
        EXPECT_LE(double(sim.presents.size()), 2.0 * hz + 1) << hz << " Hz";
        EXPECT_GE(double(sim.presents.size()), 2.0 * hz - 2) << hz << " Hz";
        EXPECT_LE(Spread(PresentedX()), 0.02) << hz << " Hz";
    }
}

// A 500 ms stall: the next pass runs 5 steps and drops the rest of the
// backlog, so the race clock (which counts steps) gains 80 ms, not 500, and
// the loop goes on at 62.5 steps a second.
TEST_F(PacingTest, StallRunsAtMostFiveStepsAndLeavesTheRaceClock)
{
    StartFloatingRace(60, true);
    RunFor(300000);
    uint32_t before = loop.raceTimeMs;
    size_t presents = sim.presents.size();
    sim.nowUs += 500000;
    while (sim.presents.size() == presents)
        RunPass();
    EXPECT_EQ(loop.raceTimeMs - before, 5u * 16u);
    const Present& after = sim.presents.back();
    EXPECT_TRUE(after.blend >= 0 && after.blend < 1);
    before = loop.raceTimeMs;
    RunFor(1000000);
    EXPECT_NEAR((loop.raceTimeMs - before) / 16.0, 62.5, 1.0);
}

namespace {

// The ball's path under scripted steering: keys chosen by the race clock,
// changing every few steps, so every step sees the same input however the
// steps are paced, and steps run together see different input.
int SteeredKeys(SysKey key)
{
    uint32_t step = loop.raceTimeMs / 16;
    switch (key) {
    case KEY_RIGHT: return step / 5 % 3 == 0;
    case KEY_LEFT: return step / 5 % 3 == 1;
    case KEY_UP: return step / 7 % 2 == 0;
    case KEY_DOWN: return step / 7 % 2 == 1 && step % 3 == 0;
    default: return 0;
    }
}

}  // namespace

// The same race paced the old way (a step and a picture per 16 ms) and at
// 30 Hz with vsync (two or three steps a picture) and a stall: the recorded
// ghost frames are bit for bit the same, and the old run's ghost rides
// exactly on the new run's ball in every picture.
TEST_F(PacingTest, GhostRecordedWithTheOldPacingReplaysIdentically)
{
    const uint32_t kRaceMs = 4000;
    auto Race = [&](bool oldPacing, const GhostRun& recorded, GhostRun* run) {
        StartSteeredRace(30, !oldPacing);
        InitGhost();
        ghost.loadedCourse = 0;
        extras.ghostShown = 1;
        if (recorded.frameCount) {
            ghost.replay.course = 0;
            ghost.replay.frameCount = recorded.frameCount;
            memcpy(ghost.replay.frames, recorded.frames, sizeof(GhostPose) * recorded.frameCount);
        }
        bool stalled = false;
        while (loop.raceTimeMs < kRaceMs + (oldPacing ? 200 : 0)) {
            if (oldPacing) {
                RunOldPacingFor(1000);
                continue;
            }
            RunFor(1000);
            if (!stalled && loop.raceTimeMs >= 2000) {
                sim.nowUs += 300000;   // a stall halfway
                stalled = true;
            }
            if (recorded.frameCount && loop.raceTimeMs > 16 && loop.raceTimeMs / 16 < recorded.frameCount) {
                const ScenePose& shown = LastPictureScene();
                ASSERT_TRUE(shown.ghostShown);
                for (int k = 0; k < 3; k++)
                    ASSERT_NEAR(shown.ghost.m[3][k], shown.ball.m[3][k], 1e-3f) << "race " << loop.raceTimeMs;
            }
        }
        *run = ghost.recording;
        run->frames = new GhostPose[run->frameCount];
        memcpy(run->frames, ghost.recording.frames, sizeof(GhostPose) * run->frameCount);
        FreeGhost();
    };
    GhostRun none = {}, old = {}, paced = {};
    Race(true, none, &old);
    ASSERT_NE(old.frames, nullptr);
    Race(false, old, &paced);
    ASSERT_NE(paced.frames, nullptr);
    ASSERT_GT(old.frameCount, kRaceMs / 16);
    uint32_t frames = std::min(old.frameCount, paced.frameCount);
    EXPECT_EQ(memcmp(old.frames, paced.frames, sizeof(GhostPose) * frames), 0);
    float travelled = old.frames[frames - 1].position[2] - old.frames[0].position[2];
    EXPECT_GT(std::abs(travelled), 10.0f) << "the ball was steered";
    delete[] old.frames;
    delete[] paced.frames;
}

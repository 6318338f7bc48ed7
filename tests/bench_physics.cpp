// Costs of one Race frame (step, contact scan, steering, refresh) on a
// 128 x 128 course with 20 obstacles, and of loading a 255 x 255 course
// (with its terrain tree cached, and the first time).
#include <benchmark/benchmark.h>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>
#include "core/game.h"
#include "app/race.h"
#include "physics/physics.h"
#include "course/course.h"
#include "platform/paths.h"
#include "render/scene.h"
#include "support/physics_support.h"

namespace {

std::vector<TestCourse> courses;

void SetUpCourse(int side, int obstacles)
{
    InstallBowlCourse(&courses, side, obstacles);
}

void TearDownCourse()
{
    ReleaseCourseGraphics();
    DestroyPhysicsWorld();
    courseList = {};
}

void RaceFrame(benchmark::State& state)
{
    SetUpCourse(128, 20);
    int frame = 0;
    for (auto _ : state) {
        // Circle the tilt so the ball keeps rolling about the bowl.
        float a = frame++ * 0.02f;
        TiltVector tilt = { 20 * std::cos(a), 10, 20 * std::sin(a), 0, 0 };
        StepPhysicsWorld();
        UpdateRace(tilt, loop.previousTilt);
        SyncCourseTransforms();
        loop.previousTilt = tilt;
        game.state = STATE_RACE;
        if (IsBallFallen()) {
            state.PauseTiming();
            LoadCourse(0);
            state.ResumeTiming();
        }
    }
    TearDownCourse();
}
BENCHMARK(RaceFrame)->Unit(benchmark::kMicrosecond);

// Loads after the first find the terrain's tree in the cache.
void LoadCourse255(benchmark::State& state)
{
    SysUseOneFolder(TempDir().c_str());
    SetUpCourse(255, 20);
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadCourse(0));
    TearDownCourse();
    SysUseOneFolder(nullptr);
}
BENCHMARK(LoadCourse255)->Unit(benchmark::kMillisecond);

// The first load of a height map: the tree is built and written to the cache.
void LoadCourse255Uncached(benchmark::State& state)
{
    SysUseOneFolder(TempDir().c_str());
    SetUpCourse(255, 20);
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(TempDir() + "/cache");
        state.ResumeTiming();
        benchmark::DoNotOptimize(LoadCourse(0));
    }
    TearDownCourse();
    SysUseOneFolder(nullptr);
}
BENCHMARK(LoadCourse255Uncached)->Unit(benchmark::kMillisecond);

}  // namespace

// Costs of one Race frame (step, contact scan, steering, refresh) on a
// 128 x 128 course with 20 obstacles, and of loading a 255 x 255 course.
#include <benchmark/benchmark.h>
#include <cmath>
#include <string>
#include <vector>
#include "app/game.h"
#include "app/race.h"
#include "physics/physics.h"
#include "render/course.h"
#include "support/physics_support.h"

namespace {

// A bowl: black in the middle, rising toward the edges, so the ball stays on.
std::string BowlPicture(int side)
{
    std::vector<int> grey(side * side);
    for (int y = 0; y < side; y++) {
        for (int x = 0; x < side; x++) {
            float dx = (x - side / 2.0f) / side, dy = (y - side / 2.0f) / side;
            grey[y * side + x] = (int)std::fmin(255.0f, 700.0f * (dx * dx + dy * dy));
        }
    }
    return WriteGreyBmp("bowl" + std::to_string(side) + ".bmp", side, side, grey);
}

std::vector<TestCourse> courses;

void SetUpCourse(int side, int obstacles)
{
    game = {};
    loop = {};
    SetBallType(3, 1, 0.5f);
    game.settings.gravity[0] = 1;
    std::string path = BowlPicture(side);
    courses.assign(1, TestCourse{});
    CourseDef& def = courses[0].def;
    CopyUtf8ToUtf16(def.HEIGHT_MAP, 260, path);
    CopyUtf8ToUtf16(def.FIELD_TEXTURE, 260, path);
    def.MAP_HEIGHT = 4;
    def.GRID_SIZE = 4;
    def.START[0] = 0.5f; def.START[1] = 1; def.START[2] = 0.5f;
    def.GOAL[0] = 0.9f; def.GOAL[1] = 0.9f; def.GOAL[2] = 0.95f; def.GOAL[3] = 0.95f;
    courses[0].obstacles.resize(obstacles);
    for (int k = 0; k < obstacles; k++) {
        ObstacleDef& o = courses[0].obstacles[k];
        o.shape = k % 3;
        o.size[0] = 3; o.size[1] = 3; o.size[2] = 3;
        o.position[0] = 0.2f + 0.6f * (k % 5) / 4;
        o.position[1] = 2;
        o.position[2] = 0.2f + 0.6f * (k / 5) / 3;
        o.weight = k % 2 ? 2.0f : 0.0f;     // half of them fall and roll
    }
    InstallCourses(&courses);
    CreatePhysicsWorld();
    LoadCourse(0);
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

void LoadCourse255(benchmark::State& state)
{
    SetUpCourse(255, 20);
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadCourse(0));
    TearDownCourse();
}
BENCHMARK(LoadCourse255)->Unit(benchmark::kMillisecond);

}  // namespace

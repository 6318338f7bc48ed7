// Whole drawn frames on the real device (run headless with
// SDL_VIDEODRIVER=offscreen): the scene of the 128 x 128 test course, and a
// Race frame of the loop on every shipped course with shadows on. Each frame
// ends with a read-back so the time includes the rasteriser finishing it;
// ReadBackOnly is that read-back alone.
#include <benchmark/benchmark.h>
#include <string>
#include <vector>

#include "app/game.h"
#include "app/loop.h"
#include "data/course_list.h"
#include "data/settings.h"
#include "physics/physics.h"
#include "platform/sys.h"
#include "render/camera.h"
#include "render/course.h"
#include "render/device.h"
#include "render/scene.h"
#include "support/gfx_window.h"
#include "support/physics_support.h"
#include "support/scripted_input.h"

namespace {

std::vector<TestCourse> courses;
std::vector<uint8_t> pixels(640 * 480 * 4);

void ReadBackOnly(benchmark::State& state)
{
    OpenTestDevice();
    for (auto _ : state) {
        BeginScene();
        ReadBackBuffer(pixels.data());
    }
}
BENCHMARK(ReadBackOnly)->Unit(benchmark::kMillisecond);

void DrawnSceneFrame(benchmark::State& state)
{
    OpenTestDevice();
    std::string cube = WriteCubeMesh("bench_cube.x", {"1.0;0.0;0.0", "0.0;1.0;0.0"});
    char16_t name[260];
    CopyUtf8ToUtf16(name, 260, cube);
    for (ShapeMesh& shape : shapeMeshes)
        LoadShapeMesh(name, &shape);
    InstallBowlCourse(&courses, 128, 20);
    for (int k = 0; k < 120; k++)
        StepPhysicsWorld();
    game.settings.cameraLength[0] = 96;
    game.settings.cameraPitch[0] = 0.8377580642700195f;
    game.settings.renderFlags = USETEXTURE | DRAWSHADOW;
    for (auto _ : state) {
        SyncCourseTransforms();
        SetRaceCamera();
        BeginScene();
        DrawTerrain();
        DrawBallAndObstacles();
        DrawShadows();
        DrawGoalMarker();
        PresentScene();
        ReadBackBuffer(pixels.data());
    }
    ReleaseCourseGraphics();
    DestroyPhysicsWorld();
    for (ShapeMesh& shape : shapeMeshes)
        ReleaseShapeMesh(&shape);
    courseList = {};
}
BENCHMARK(DrawnSceneFrame)->Unit(benchmark::kMillisecond);

// One loop frame in Race (step, steering, camera, the four passes, present)
// on shipped course `range(0)`, with the shipped settings plus shadows.
void ShippedRaceFrame(benchmark::State& state)
{
    OpenTestDevice();
    InstallScriptedInput(nullptr, nullptr);
    SysSetProgramDirectoryForTests(KESTRUNE_GAME_DIR);
    game = {};
    loop = {};
    if (!LoadCourseList() || state.range(0) >= courseList.courseCount) {
        state.SkipWithError("no such shipped course");
        FreeCourseList();
        return;
    }
    CreatePhysicsWorld();
    int index = static_cast<int>(state.range(0));
    LoadCourse(index);
    game.settings.renderFlags |= DRAWSHADOW;
    uint32_t now = 1000;
    for (auto _ : state) {
        game.state = STATE_RACE;
        RunFrame(now += 16);
        ReadBackBuffer(pixels.data());
        if (IsBallFallen()) {
            state.PauseTiming();
            LoadCourse(index);
            state.ResumeTiming();
        }
    }
    ReleaseCourseGraphics();
    DestroyPhysicsWorld();
    for (ShapeMesh& shape : shapeMeshes)
        ReleaseShapeMesh(&shape);
    FreeCourseList();
    SysSetProgramDirectoryForTests(nullptr);
    SysSetHooks(nullptr);
}
BENCHMARK(ShippedRaceFrame)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

}  // namespace

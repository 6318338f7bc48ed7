// The CPU side of one Race frame's scene with shadows on (camera, ground
// rays, scaled matrices, draw submission) on the null device: a 128 x 128
// course with 20 obstacles. Goal: under 0.3 ms.
#include <benchmark/benchmark.h>
#include <vector>

#include "core/game.h"
#include "data/settings.h"
#include "physics/physics.h"
#include "render/camera.h"
#include "course/course.h"
#include "render/device.h"
#include "render/scene.h"
#include "support/physics_support.h"

namespace {

std::vector<TestCourse> courses;

void SceneFrame(benchmark::State& state)
{
    InitRenderer();
    InstallBenchmarkScene(&courses);
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
    }
    ReleaseBenchmarkScene();
    ReleaseRenderer();
}
BENCHMARK(SceneFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

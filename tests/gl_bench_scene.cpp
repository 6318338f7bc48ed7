// Whole drawn frames on the real device (run headless with
// SDL_VIDEODRIVER=offscreen): the scene of the 128 x 128 test course, and a
// Race frame of the loop on every shipped course with shadows on. Each frame
// ends with a read-back so the time includes the rasteriser finishing it;
// ReadBackOnly is that read-back alone. CPU times are the whole process's,
// the rasteriser's threads included.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/game.h"
#include "app/loop.h"
#include "data/course_list.h"
#include "data/settings.h"
#include "render/shapes.h"
#include "render/sprite_sheets.h"
#include "physics/physics.h"
#include "platform/paths.h"
#include "platform/sys.h"
#include "render/camera.h"
#include "course/course.h"
#include "render/device.h"
#include "render/course_text.h"
#include "render/preview.h"
#include "render/scene.h"
#include "screens/screens.h"
#include "support/gfx_window.h"
#include "support/physics_support.h"
#include "support/scripted_input.h"

namespace {

std::vector<TestCourse> courses;

// CPU seconds so far of this process's main thread and of its busiest
// rasteriser thread ("llvmpipe-N"). Their sum bounds a frame's time on an
// otherwise idle machine: the main thread transforms and bins, then the
// rasteriser threads shade, in parallel with each other.
struct ThreadTimes {
    double main, raster;
};

double TaskSeconds(const std::string& statPath, std::string* name)
{
    std::ifstream in(statPath);
    std::string line;
    std::getline(in, line);
    size_t open = line.find('('), close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos)
        return 0;
    *name = line.substr(open + 1, close - open - 1);
    std::istringstream rest(line.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int k = 3; k <= 15 && rest >> field; k++) {
        if (k == 14) utime = std::stoull(field);
        if (k == 15) stime = std::stoull(field);
    }
    return double(utime + stime) / sysconf(_SC_CLK_TCK);
}

ThreadTimes ReadThreadTimes()
{
    ThreadTimes t = {0, 0};
    std::string self = std::to_string(getpid());
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::string name;
        double seconds = TaskSeconds(task.path().string() + "/stat", &name);
        if (task.path().filename() == self)
            t.main = seconds;
        else if (name.rfind("llvmpipe", 0) == 0 && seconds > t.raster)
            t.raster = seconds;
    }
    return t;
}

void ReportThreads(benchmark::State& state, const ThreadTimes& before)
{
    ThreadTimes after = ReadThreadTimes();
    double frames = double(state.iterations());
    state.counters["main_ms"] = (after.main - before.main) * 1000 / frames;
    state.counters["raster_ms"] = (after.raster - before.raster) * 1000 / frames;
}
std::vector<uint8_t> pixels(640 * 480 * 4);

void ReadBackOnly(benchmark::State& state)
{
    OpenTestDevice();
    for (auto _ : state) {
        BeginScene();
        ReadBackBuffer(pixels.data());
    }
}
BENCHMARK(ReadBackOnly)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

void DrawnSceneFrame(benchmark::State& state)
{
    OpenTestDevice();
    InstallBenchmarkScene(&courses);
    game.settings.cameraLength[0] = 96;
    game.settings.cameraPitch[0] = 0.8377580642700195f;
    game.settings.renderFlags = USETEXTURE | DRAWSHADOW;
    ThreadTimes before = ReadThreadTimes();
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
    ReportThreads(state, before);
    ReleaseBenchmarkScene();
}
BENCHMARK(DrawnSceneFrame)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// The shipped game folder read as at start-up (sprite sheets, settings,
// meshes, course list) with a physics world; false (the benchmark skipped)
// when there is no such course as range(0).
bool OpenShippedGame(benchmark::State& state)
{
    OpenTestDevice();
    InstallScriptedInput(nullptr, nullptr);
    SysUseOneFolder(KESTRUNE_GAME_DIR);
    SysMakeGameFolderCurrent();
    game = {};
    loop = {};
    if (!LoadSpriteSheets() || !LoadCourseList() || state.range(0) >= courseList.courseCount) {
        state.SkipWithError("no such shipped course");
        ReleaseSpriteSheets();
        FreeCourseList();
        return false;
    }
    LoadShapeMeshes();
    CreatePhysicsWorld();
    return true;
}

void CloseShippedGame()
{
    ReleaseCourseGraphics();
    DestroyPhysicsWorld();
    ReleaseShapeMeshes();
    ReleaseSpriteSheets();
    FreeCourseList();
    SysUseOneFolder(nullptr);
    SysSetHooks(nullptr);
}

// One loop frame in Race (step, steering, camera, the four passes, present)
// on shipped course `range(0)`, with the shipped settings plus shadows.
void ShippedRaceFrame(benchmark::State& state)
{
    if (!OpenShippedGame(state))
        return;
    int index = static_cast<int>(state.range(0));
    LoadCourse(index);
    game.settings.renderFlags |= DRAWSHADOW;
    uint32_t now = 1000;
    ThreadTimes before = ReadThreadTimes();
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
    ReportThreads(state, before);
    CloseShippedGame();
}
BENCHMARK(ShippedRaceFrame)->DenseRange(0, 11)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);


// One loop frame of course select at rest on shipped course `range(0)`, its
// whole description typed out: 2D panels, one quad per glyph, the preview.
void ShippedCourseSelectFrame(benchmark::State& state)
{
    if (!OpenShippedGame(state))
        return;
    LoadCourse(0);
    uint32_t now = 1000;
    game.state = STATE_COURSE_SELECT;
    ResetCourseSelect();
    scriptedKeys[KEY_RIGHT] = true;                  // slide to the course asked for
    for (int k = 0; k < 60 * int(state.range(0)) + 60; k++)
        RunFrame(now += 16);
    scriptedKeys[KEY_RIGHT] = false;
    for (int k = 0; k < 2000; k++)                    // the text types out
        RunFrame(now += 16);
    ThreadTimes before = ReadThreadTimes();
    for (auto _ : state) {
        RunFrame(now += 16);
        ReadBackBuffer(pixels.data());
    }
    ReportThreads(state, before);
    ReleaseCoursePreview();
    ReleaseCourseText();
    CloseShippedGame();
}
BENCHMARK(ShippedCourseSelectFrame)->Arg(0)->Arg(8)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

}  // namespace

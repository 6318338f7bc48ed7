// Whole drawn frames on the real device (run headless with
// SDL_VIDEODRIVER=offscreen): the scene of the 128 x 128 test course, and a
// Race frame of the loop on every shipped course with shadows on, also in
// windows of 1280 x 960 and 1920 x 1440. Each frame ends with a read-back of
// the whole picture so the time includes the rasteriser finishing it;
// ReadBackOnly is that read-back alone. CPU times are the whole process's,
// the rasteriser's threads included. ShippedRaceLoop runs the real loop on
// the real clock and counts the logic steps it keeps up;
// ShippedCourseFrameTimes times each logic step and each picture apart
// while the autopilot races a course to its goal.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
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
#include "screens/course_select.h"
#include "screens/screens.h"
#include "support/gfx_window.h"
#include "support/physics_support.h"
#include "support/scripted_input.h"
#include "tools/autopilot/autopilot.h"

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

// The window's size for a benchmark: its width as an argument, 4:3.
void SizeWindow(int width)
{
    SysSetWindowSize(width, width * 3 / 4);
    pixels.resize(size_t(width) * (width * 3 / 4) * 4);
}

void ReadWholePicture()
{
    int w = 0, h = 0;
    PictureSize(&w, &h);
    pixels.resize(size_t(w) * h * 4);
    ReadPicture(pixels.data(), w, h);
}

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
bool OpenShippedGame(benchmark::State& state, const char* folder = KESTRUNE_GAME_DIR)
{
    OpenTestDevice();
    InstallScriptedInput(nullptr, nullptr);
    SysUseOneFolder(folder);
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
// on shipped course `range(0)` in a window `range(1)` wide, with the shipped
// settings plus shadows.
void ShippedRaceFrame(benchmark::State& state)
{
    if (!OpenShippedGame(state))
        return;
    SizeWindow(int(state.range(1)));
    int index = static_cast<int>(state.range(0));
    LoadCourse(index);
    game.settings.renderFlags |= DRAWSHADOW;
    uint32_t now = 1000;
    ThreadTimes before = ReadThreadTimes();
    for (auto _ : state) {
        game.state = STATE_RACE;
        RunFrame(now += 16);
        ReadWholePicture();
        if (IsBallFallen()) {
            state.PauseTiming();
            LoadCourse(index);
            state.ResumeTiming();
        }
    }
    ReportThreads(state, before);
    SizeWindow(640);
    CloseShippedGame();
}
BENCHMARK(ShippedRaceFrame)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 11, 1), {640}})
    ->Args({0, 1280})->Args({0, 1920})->Args({8, 1280})->Args({8, 1920})
    ->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// The real loop racing on shipped course `range(0)` in a window `range(1)`
// wide for two seconds of the real clock: the logic steps it ran a second
// (62.5 when it keeps its 16 ms step) and the pictures it drew between them.
void ShippedRaceLoop(benchmark::State& state)
{
    if (!OpenShippedGame(state))
        return;
    SysSetHooks(nullptr);   // the real clock and sleeps
    SizeWindow(int(state.range(1)));
    int index = static_cast<int>(state.range(0));
    LoadCourse(index);
    game.settings.renderFlags |= DRAWSHADOW;
    double steps = 0, pictures = 0, seconds = 0;
    for (auto _ : state) {
        game.state = STATE_RACE;
        loop.frameTime = SysMilliseconds();
        uint32_t steps0 = StepsRun(), pictures0 = PicturesDrawn();
        uint64_t start = SysMicroseconds();
        while (SysMicroseconds() - start < 2000000) {
            RunPass();
            if (game.state != STATE_RACE) {   // fallen or finished: race on
                LoadCourse(index);
                game.state = STATE_RACE;
            }
        }
        seconds += (SysMicroseconds() - start) / 1e6;
        steps += StepsRun() - steps0;
        pictures += PicturesDrawn() - pictures0;
    }
    state.counters["steps_per_s"] = steps / seconds;
    state.counters["pictures_per_s"] = pictures / seconds;
    SizeWindow(640);
    CloseShippedGame();
}
BENCHMARK(ShippedRaceLoop)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 11, 1), {640, 1280}})
    ->Iterations(1)->Unit(benchmark::kMillisecond);


// Each 16 ms frame of the loop as the autopilot races shipped course
// `range(0)` from its intro to the goal (or three minutes): the logic step
// (physics, race logic, ghost, sound) and the picture drawn of it (with the
// read-back that waits for the rasteriser), timed apart on the wall clock.
// The step must stay well inside 16 ms for the logic to keep its pace.
std::vector<double> stepMs, pictureMs;

void TimedFrame(uint32_t)
{
    auto t0 = std::chrono::steady_clock::now();
    RunLogicStep();
    auto t1 = std::chrono::steady_clock::now();
    DrawStepPicture();
    ReadWholePicture();
    auto t2 = std::chrono::steady_clock::now();
    stepMs.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    pictureMs.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
}

double Mean(const std::vector<double>& v)
{
    double sum = 0;
    for (double x : v)
        sum += x;
    return v.empty() ? 0 : sum / double(v.size());
}

double Percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

// A race to the goal saves a record: on a copy, never in the build's folder.
void ShippedCourseFrameTimes(benchmark::State& state)
{
    static const std::string copy = CopyGameFolder(KESTRUNE_GAME_DIR, "kestrune-bench-times");
    if (!OpenShippedGame(state, copy.c_str()))
        return;
    SizeWindow(640);
    int index = static_cast<int>(state.range(0));
    std::vector<AutopilotRoute> routes = ReadAutopilotRoutes(courseList.courseCount);
    LoadCourse(0);
    AutopilotInput input = {scriptedKeys, &scriptedClockMs, TimedFrame};
    int raceFrames = 0;
    for (auto _ : state) {
        stepMs.clear();
        pictureMs.clear();
        raceFrames = RaceWithAutopilot(index, routes[index], input);
    }
    state.counters["race_frames"] = raceFrames;
    state.counters["step_mean_ms"] = Mean(stepMs);
    state.counters["step_max_ms"] = Percentile(stepMs, 1.0);
    state.counters["picture_mean_ms"] = Mean(pictureMs);
    state.counters["picture_p99_ms"] = Percentile(pictureMs, 0.99);
    ReleaseScriptedKeys();
    CloseShippedGame();
}
BENCHMARK(ShippedCourseFrameTimes)->DenseRange(0, 11)->Iterations(1)->Unit(benchmark::kMillisecond);

// Start-up to the title's first picture, in this process (the program's
// own loading and linking come on top): the window, the device, the lists,
// what the title draws first. The sheets, the first course and the sound
// wait for their first use or for the picture.
void StartUpToFirstPicture(benchmark::State& state)
{
    static const std::string copy = CopyGameFolder(KESTRUNE_GAME_DIR, "kestrune-bench-start");
    CloseTestDevice();   // start-up makes its own window and device
    for (auto _ : state) {
        if (StartScriptedGame(copy, nullptr) != 1) {
            state.SkipWithError("the game did not start");
            break;
        }
        RunFrame(scriptedClockMs += 16);
        ReadWholePicture();
        state.PauseTiming();
        StopScriptedGame();
        state.ResumeTiming();
    }
}
BENCHMARK(StartUpToFirstPicture)->Unit(benchmark::kMillisecond)->UseRealTime();

// One loop frame of course select at rest on shipped course `range(0)` in a
// window `range(1)` wide, its whole description typed out: 2D panels, one
// quad per glyph, the preview.
void ShippedCourseSelectFrame(benchmark::State& state)
{
    if (!OpenShippedGame(state))
        return;
    SizeWindow(int(state.range(1)));
    LoadCourse(0);
    uint32_t now = 1000;
    game.state = STATE_COURSE_SELECT;
    StartCourseSelectAtFirst();
    ResetCourseSelect();
    scriptedKeys[KEY_RIGHT] = true;                  // slide to the course asked for
    for (int k = 0; k < 60 * int(state.range(0)) + 60 && GetCourseSelect().selectedCourse < state.range(0); k++) {
        SampleInput();                               // the keys become the tilt
        RunFrame(now += 16);
    }
    scriptedKeys[KEY_RIGHT] = false;
    for (int k = 0; k < 60 && GetCourseSelect().phase != SELECT_BROWSING; k++)
        RunFrame(now += 16);
    if (GetCourseSelect().selectedCourse != state.range(0))
        state.SkipWithError("course select did not reach the course");
    for (int k = 0; k < 2000 && GetCourseSelect().revealedGlyphs < courseText.docGlyphCount; k++)
        RunFrame(now += 16);                          // the text types out
    ThreadTimes before = ReadThreadTimes();
    for (auto _ : state) {
        RunFrame(now += 16);
        ReadWholePicture();
    }
    ReportThreads(state, before);
    ReleaseCoursePreview();
    ReleaseCourseText();
    SizeWindow(640);
    CloseShippedGame();
}
BENCHMARK(ShippedCourseSelectFrame)
    ->Args({0, 640})->Args({8, 640})->Args({0, 1280})->Args({0, 1920})->Args({8, 1280})->Args({8, 1920})
    ->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

}  // namespace

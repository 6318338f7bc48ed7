// --play: every course raced by the autopilot through the game's own loop,
// on the window-less platform, with a clock that advances 16 ms a frame.
#include <cstdio>
#include <string>

#include "tools/check/check.h"
#include "tools/autopilot/autopilot.h"
#include "core/game.h"
#include "app/loop.h"
#include "data/course_list.h"
#include "data/course_packs.h"
#include "data/ghost_file.h"
#include "data/texts.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/sys.h"

namespace {

bool keys[KEY_COUNT];
uint32_t clockMs = 5000;

int HeldKey(SysKey key) { return keys[key] ? 1 : 0; }
uint32_t Clock() { return clockMs; }
void Ignore(const char*) {}

std::string Time(int raceFrames)
{
    int ms = raceFrames * 16;
    char text[32];
    snprintf(text, sizeof text, "%d:%02d.%03d", ms / 60000, ms / 1000 % 60, ms % 1000);
    return text;
}

void ReportRace(int course, const AutopilotRoute& route, int frames)
{
    std::string name = Say(CHECK_COURSE, course);
    std::string how = route.points.empty() ? Say(CHECK_STRAIGHT, route.ballType) : Say(CHECK_ROUTE, route.ballType, route.line);
    int line = route.line ? route.line : route.fieldLine;
    if (frames >= 0) Report("course.ini", line, SEVERITY_NOTE, name + ": " + Say(CHECK_FINISHED, Time(frames).c_str()) + how);
    else Report("course.ini", line, SEVERITY_WARNING, name + ": " + Say(CHECK_NOT_FINISHED) + how);
}

// The courses raced: the game folder's own, or the pack's.
bool RacedCourses(const char* packFolder, int* first, int* count)
{
    if (!packFolder) {
        *first = 0;
        *count = OwnCourseCount();
        return SysMakeGameFolderCurrent();
    }
    const CoursePack* pack = FindPack(packFolder);
    if (!pack || pack->problem.kind != PACK_OK) {
        Report("course.ini", 0, SEVERITY_ERROR, Say(CHECK_PACK_NOT_RACED));
        return false;
    }
    *first = pack->firstCourse;
    *count = pack->courseCount;
    return SysMakeFolderCurrent(pack->folder.c_str());
}

std::vector<RaceResult> RaceAll(const char* packFolder)
{
    std::vector<RaceResult> races;
    int first = 0, count = 0;
    if (!RacedCourses(packFolder, &first, &count)) return races;
    std::vector<AutopilotRoute> routes = ReadAutopilotRoutes(count);
    SysMakeGameFolderCurrent();
    AutopilotInput input = {keys, &clockMs, nullptr};
    // Courses that are empty or do not load have been reported already.
    for (int n = 0; n < count; n++) {
        if (!courseList.courses[first + n].HEIGHT_MAP[0]) continue;
        int frames = RaceWithAutopilot(first + n, routes[n], input);
        if (frames == AUTOPILOT_NOT_LOADED) continue;
        ReportRace(n, routes[n], frames);
        char ghost[1200];
        GhostFileName(first + n, ghost, sizeof ghost);
        races.push_back({n, routes[n].ballType, frames, "", SysSaveFolder() + std::string(ghost)});
    }
    return races;
}

}  // namespace

std::vector<RaceResult> PlayCourses(const char* packFolder)
{
    SysHooks hooks = {};
    hooks.keyDown = HeldKey;
    hooks.milliseconds = Clock;
    hooks.errorBox = Ignore;    // the checks have reported every message already
    SysSetHooks(&hooks);
    SetCommandLinePack(packFolder);
    // The race copy's extras are the defaults: the report keeps its language.
    int language = CurrentLanguage();
    std::vector<RaceResult> races;
    if (StartUp() == 1)
        races = RaceAll(packFolder);
    else
        Report("course.ini", 0, SEVERITY_ERROR, Say(CHECK_GAME_DOES_NOT_START));
    SysPostMessage(SYS_MSG_CLOSE, 0);
    while (RunPass()) {
    }
    ShutDown();
    SetLanguage(language);
    return races;
}

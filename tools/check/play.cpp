// --play: every course raced by the autopilot through the game's own loop,
// on the window-less platform, with a clock that advances 16 ms a frame.
#include <cstdio>
#include <string>

#include "tools/check/check.h"
#include "tools/autopilot/autopilot.h"
#include "core/game.h"
#include "app/loop.h"
#include "data/course_list.h"
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
    std::string name = "course " + std::to_string(course);
    std::string how = " (autopilot, ball type " + std::to_string(route.ballType) +
                      (route.points.empty() ? ", straight for the goal)" : ", route of line " + std::to_string(route.line) + ")");
    int line = route.line ? route.line : route.fieldLine;
    if (frames >= 0) Report("course.ini", line, SEVERITY_NOTE, name + ": finished in " + Time(frames) + how);
    else Report("course.ini", line, SEVERITY_WARNING, name + ": not finished within 3:00.000" + how);
}

}  // namespace

void PlayCourses()
{
    SysHooks hooks = {};
    hooks.keyDown = HeldKey;
    hooks.milliseconds = Clock;
    hooks.errorBox = Ignore;    // the checks have reported every message already
    SysSetHooks(&hooks);
    if (StartUp() != 1) {
        Report("course.ini", 0, SEVERITY_ERROR, "the game does not start, so no course can be raced");
        ShutDown();
        return;
    }
    std::vector<AutopilotRoute> routes = ReadAutopilotRoutes(courseList.courseCount);
    AutopilotInput input = {keys, &clockMs, nullptr};
    // Courses that are empty or do not load have been reported already.
    for (int i = 0; i < courseList.courseCount; i++) {
        if (!courseList.courses[i].HEIGHT_MAP[0]) continue;
        int frames = RaceWithAutopilot(i, routes[i], input);
        if (frames != AUTOPILOT_NOT_LOADED) ReportRace(i, routes[i], frames);
    }
    SysPostMessage(SYS_MSG_CLOSE, 0);
    while (RunPass()) {
    }
    ShutDown();
}

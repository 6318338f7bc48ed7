#include "support/long_play.h"

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "app/loop.h"
#include "core/game.h"
#include "data/course_list.h"
#include "platform/gfx.h"
#include "render/sprite_sheets.h"
#include "render/text.h"
#include "screens/course_select.h"
#include "screens/screens.h"
#include "support/scripted_input.h"
#include "tools/autopilot/autopilot.h"

namespace {

int messageBoxes;

void CountBox(const char*) { messageBoxes++; }

void Frame()
{
    scriptedClockMs += 16;
    SampleInput();
    RunFrame(scriptedClockMs);
}

void Wait(int frames)
{
    for (int i = 0; i < frames; i++)
        Frame();
}

void Tap(SysKey key)
{
    scriptedKeys[key] = true;
    Wait(2);
    scriptedKeys[key] = false;
    Wait(2);
}

bool WaitFor(bool (*done)(), int limit)
{
    for (int i = 0; i < limit && !done(); i++)
        Frame();
    return done();
}

bool Browsing()
{
    return game.state == STATE_COURSE_SELECT && GetCourseSelect().phase == SELECT_BROWSING;
}

bool Racing() { return game.state == STATE_RACE; }

bool InResultMenu() { return game.state == STATE_GOAL_MENU || game.state == STATE_MISS_MENU; }

long ResidentKiB()
{
    long pages = 0, resident = 0;
    FILE* f = fopen("/proc/self/statm", "r");
    if (f) {
        if (fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long HeapKiB()
{
    return long(mallinfo2().uordblks / 1024);
}

// Course select, at rest: slide to course `index`, open the dialog, say yes.
bool SelectCourse(int index)
{
    if (!WaitFor(Browsing, 200))
        return false;
    while (GetCourseSelect().selectedCourse != index) {
        SysKey way = GetCourseSelect().selectedCourse < index ? KEY_RIGHT : KEY_LEFT;
        scriptedKeys[way] = true;
        Frame();
        scriptedKeys[way] = false;
        if (!WaitFor(Browsing, 100))
            return false;
    }
    Tap(KEY_SPACE);
    Wait(10);
    Tap(KEY_SPACE);
    return WaitFor(Racing, 60 + 180 + 240 + 10);
}

// One course: from course select through its race to the result menu and
// back to course select at rest. "" or what went wrong.
std::string PlayCourse(int index, const AutopilotRoute& route, LongPlayReport* report)
{
    game.settings.ballTypeSel = route.ballType;   // the options' choice, taken up by the load
    if (!SelectCourse(index))
        return "course " + std::to_string(index) + ": the race did not start";
    AutopilotInput input = {scriptedKeys, &scriptedClockMs, nullptr};
    if (DriveRaceWithAutopilot(route, input) < 0)
        report->unfinished++;
    report->races++;
    if (!WaitFor(InResultMenu, 300))
        return "course " + std::to_string(index) + ": no result menu after the race";
    Wait(20);
    Tap(KEY_DOWN);     // retry, course select, title
    Tap(KEY_SPACE);
    if (!WaitFor(Browsing, 200))
        return "course " + std::to_string(index) + ": course select did not come back";
    return "";
}

// The device's objects that belong to what is loaded: the text drawer's
// cache keeps the strings drawn lately, up to its size, whatever the course.
int LiveObjects()
{
    return GfxLiveObjects() - CachedTextTextures();
}

// After course `index` of lap `lap`: the device's objects and the memory.
void Watch(int lap, int index, LongPlayReport* report)
{
    int live = LiveObjects();
    if (live != report->liveAtStart)
        report->liveChanges.push_back("lap " + std::to_string(lap) + ", after course " +
                                      std::to_string(index) + ": " + std::to_string(live) + " objects");
    if (lap > 0)
        report->growthKiB = std::max(report->growthKiB, ResidentKiB() - report->firstLapKiB);
}

void PlayLaps(int minLaps, uint32_t minSteps, LongPlayReport* report)
{
    std::vector<AutopilotRoute> routes = ReadAutopilotRoutes(courseList.courseCount);
    while (report->problem.empty() && (report->laps < minLaps || report->steps < minSteps)) {
        for (int k = 0; k < courseList.courseCount && report->problem.empty(); k++) {
            report->problem = PlayCourse(k, routes[k], report);
            report->steps = StepsRun();
            Watch(report->laps, k, report);
        }
        if (!report->problem.empty())
            break;
        if (report->laps == 0) {
            report->firstLapKiB = ResidentKiB();
            report->heapFirstLapKiB = HeapKiB();
        }
        report->heapGrowthKiB = std::max(report->heapGrowthKiB, HeapKiB() - report->heapFirstLapKiB);
        report->laps++;
    }
}

}  // namespace

LongPlayReport PlayLong(const std::string& gameDir, int minLaps, uint32_t minSteps)
{
    LongPlayReport report = {};
    std::string dir = CopyGameFolder(gameDir, "kestrune-long-play");
    messageBoxes = 0;
    if (StartScriptedGame(dir, CountBox) != 1) {
        report.problem = "the game did not start";
    } else {
        LoadSheetPictures();     // read as screens first need them; not a course's objects
        Wait(61 + 30);           // the title's letters fly in and its menu opens
        Tap(KEY_SPACE);          // start
        if (!WaitFor(Browsing, 200))
            report.problem = "course select did not come";
        report.liveAtStart = LiveObjects();
        if (report.problem.empty())
            PlayLaps(minLaps, minSteps, &report);
        if (report.problem.empty() && messageBoxes > 0)
            report.problem = std::to_string(messageBoxes) + " message boxes came up";
    }
    StopScriptedGame();
    std::filesystem::remove_all(dir);
    return report;
}

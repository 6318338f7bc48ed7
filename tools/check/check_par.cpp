// Par files: an unreadable one is reported (the game gives that course no
// medals), and a race the autopilot finished becomes its course's par time
// and par run in par/ beside the course.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "data/course_list.h"
#include "data/course_packs.h"
#include "data/par.h"
#include "platform/files.h"
#include "platform/sys.h"
#include "tools/check/check.h"

namespace fs = std::filesystem;

namespace {

std::string ParName(int number)
{
    char name[64];
    ParFileName(number, name, sizeof name);
    return name;
}

std::string ParGhostName(int number)
{
    char name[64];
    ParGhostFileName(number, name, sizeof name);
    return name;
}

std::string Time(int raceFrames)
{
    int ms = raceFrames * 16;
    char text[32];
    snprintf(text, sizeof text, "%d:%02d.%03d", ms / 60000, ms / 1000 % 60, ms % 1000);
    return text;
}

}  // namespace

void CheckPars()
{
    LoadCourseList();
    TakeMessages();   // the course checks report them
    for (int i = 0; i < OwnCourseCount(); i++) {
        FILE* file = SysOpenFile(ParName(i).c_str(), "rb");
        if (!file) continue;
        fclose(file);
        if (courseList.courses[i].parTimeMs == 0) Report(ParName(i), 0, SEVERITY_WARNING, Say(CHECK_PAR_UNREADABLE, i));
    }
    FreeCourseList();
}

void WriteParFiles(const std::string& folder, std::vector<RaceResult>* races)
{
    for (RaceResult& race : *races) {
        std::error_code error;
        std::string name = ParName(race.course), run = ParGhostName(race.course);
        if (race.frames < 0) {
            // No finish, no par: a stale one would promise medals nobody can judge.
            fs::remove(folder + name, error);
            fs::remove(folder + run, error);
            continue;
        }
        bool written = WriteParFile(folder.c_str(), race.course, uint32_t(race.frames) * 16) == 1;
        if (written)
            fs::copy_file(race.ghost, folder + run, fs::copy_options::overwrite_existing, error);
        if (written && !error) {
            race.parFile = name;
            Report(name, 0, SEVERITY_NOTE, Say(CHECK_PAR_WRITTEN, race.course, Time(race.frames).c_str()));
        } else {
            Report(name, 0, SEVERITY_WARNING,
                   Say(CHECK_PAR_NOT_WRITTEN, race.course, error ? error.message().c_str() : strerror(errno)));
        }
    }
}

// Par files: an unreadable one is reported (the game gives that course no
// medals), and --write-par turns the autopilot's races into each course's
// par time and par run beside the course.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "data/course_list.h"
#include "data/ghost_file.h"
#include "data/par.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/sys.h"
#include "tools/check/check.h"

namespace fs = std::filesystem;

namespace {

std::string ParName(int course)
{
    char name[64];
    ParFileName(course, name, sizeof name);
    return name;
}

std::string ParGhostName(int course)
{
    char name[64];
    ParGhostFileName(course, name, sizeof name);
    return name;
}

// The run the race just kept as the copy's ghost becomes the par run.
bool CopyRun(const std::string& raced, int course, const std::string& folder)
{
    char ghostName[64];
    GhostFileName(course, ghostName, sizeof ghostName);
    std::error_code error;
    fs::copy_file(raced + ghostName, folder + ParGhostName(course), fs::copy_options::overwrite_existing, error);
    return !error;
}

}  // namespace

void CheckPars()
{
    LoadCourseList();
    TakeMessages();   // the course checks report them
    for (int i = 0; i < courseList.courseCount; i++) {
        FILE* file = SysOpenFile(ParName(i).c_str(), "rb");
        if (!file) continue;
        fclose(file);
        if (courseList.courses[i].parTimeMs == 0)
            Report(ParName(i), 0, SEVERITY_WARNING, "not a par file (a line PAR:[m:ss.sss]); course " +
                   std::to_string(i) + " has no medals");
    }
    FreeCourseList();
}

void WriteParFiles(const std::string& folder, const std::string& raced, const std::vector<int>& raceFrames)
{
    SysUseOneFolder(folder.c_str());
    for (int i = 0; i < int(raceFrames.size()); i++) {
        std::error_code error;
        if (raceFrames[i] <= 0) {
            // No finish, no par: a stale one would promise medals nobody can judge.
            fs::remove(folder + ParName(i), error);
            fs::remove(folder + ParGhostName(i), error);
            continue;
        }
        uint32_t par = uint32_t(raceFrames[i]) * 16;
        if (!WriteParFile(i, par) || !CopyRun(raced, i, folder))
            Report(ParName(i), 0, SEVERITY_ERROR, "the par time or par run of course " + std::to_string(i) +
                   " cannot be written");
    }
}

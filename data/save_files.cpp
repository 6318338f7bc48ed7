// The save files are written whole into a file beside the old one and
// renamed over it, so a crash mid-write never leaves a short or mixed file.
// A save that fails is said once on standard error: the game goes on with
// the values in memory, but the player must learn that they will not last.
#include "data/save_files.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/game.h"
#include "data/course_list.h"
#include "data/course_packs.h"
#include "data/little_endian.h"
#include "platform/files.h"
#include "platform/paths.h"

SaveReports saveReports;

namespace {

int32_t ClampChoice(uint32_t value)
{
    int32_t choice = (int32_t)value;
    return choice < 0 ? 0 : choice > 2 ? 2 : choice;
}

// The full path, never the bare name: a save whose folder is missing must
// fail there rather than land in the current folder, the game's own. No
// folder at all (no home to put it in) is refused the same way.
bool SavePath(const char* folder, const char* name, char* path, size_t pathSize)
{
    if (!folder[0]) {
        errno = ENOENT;
        snprintf(path, pathSize, "%s", name);
        return false;
    }
    return (size_t)snprintf(path, pathSize, "%s%s", folder, name) < pathSize;
}

}  // namespace

FILE* OpenSaveFile(const char* folder, const char* name)
{
    char path[4200];
    return SavePath(folder, name, path, sizeof path) ? SysOpenFile(path, "rb") : nullptr;
}

// On failure tells standard error once per run (`reported` remembers it)
// with the path and the reason.
int WriteSaveFile(const char* folder, const char* name, const void* bytes, size_t size, int* reported)
{
    char path[4200];
    if (SavePath(folder, name, path, sizeof path) && SysReplaceFile(path, bytes, size)) return 1;
    int reason = errno;
    if (!*reported)
        fprintf(stderr, "Kestrune: cannot save %s: %s (the game goes on, but this is not kept)\n",
                path, strerror(reason));
    *reported = 1;
    return 0;
}

void LoadOptions()
{
    FILE* file = OpenSaveFile(SysConfigFolder(), "config.sav");
    if (!file) return;
    uint32_t values[4];
    int read = ReadLittleEndianWords(file, values, 4);
    fclose(file);
    int32_t* choices[4] = {&game.settings.ballTypeSel, &game.settings.gravitySel,
                           &game.settings.cameraPitchSel, &game.settings.cameraLengthSel};
    for (int i = 0; i < read; i++) *choices[i] = ClampChoice(values[i]);
}

int SaveOptions()
{
    const int32_t choices[4] = {game.settings.ballTypeSel, game.settings.gravitySel,
                                game.settings.cameraPitchSel, game.settings.cameraLengthSel};
    unsigned char bytes[16];
    for (int i = 0; i < 4; i++) PutLittleEndian(bytes + 4 * i, (uint32_t)choices[i]);
    return WriteSaveFile(SysConfigFolder(), "config.sav", bytes, sizeof bytes, &saveReports.configReported);
}

namespace {

// `count` best times from `name` into the courses from `first` on; entries
// past them are not read, missing ones stay 0.
int ReadBestTimes(const char* folder, const char* name, int first, int count)
{
    FILE* file = OpenSaveFile(folder, name);
    if (!file) return 0;
    unsigned char bytes[4];
    for (int i = 0; i < count && fread(bytes, 4, 1, file) == 1; i++)
        courseList.courses[first + i].bestTimeMs = GetLittleEndian(bytes);
    fclose(file);
    return 1;
}

int WriteBestTimes(const char* folder, const char* name, int first, int count)
{
    size_t n = count > 0 ? (size_t)count : 0;
    unsigned char* bytes = (unsigned char*)malloc(n * 4 + 1);
    if (!bytes) return 0;
    for (size_t i = 0; i < n; i++) PutLittleEndian(bytes + 4 * i, courseList.courses[first + i].bestTimeMs);
    int written = WriteSaveFile(folder, name, bytes, n * 4, &saveReports.recordReported);
    free(bytes);
    return written;
}

}  // namespace

int LoadBestTimes()
{
    int read = ReadBestTimes(SysSaveFolder(), "record.sav", 0, OwnCourseCount());
    for (const CoursePack& pack : CoursePacks().packs)
        if (pack.courseCount > 0)
            ReadBestTimes(PackSaveFolder(pack).c_str(), "record.sav", pack.firstCourse, pack.courseCount);
    return read;
}

int SaveBestTimes()
{
    return WriteBestTimes(SysSaveFolder(), "record.sav", 0, OwnCourseCount());
}

int SavePackBestTimes(const CoursePack& pack)
{
    // When the folder cannot be made, the write says why.
    MakePackSaveFolder(pack, nullptr);
    return WriteBestTimes(PackSaveFolder(pack).c_str(), "record.sav", pack.firstCourse, pack.courseCount);
}

int KeepBestTime()
{
    int course = game.currentCourse;
    if (course < 0 || course >= courseList.courseCount || !courseList.courses) return 0;
    uint32_t time = loop.raceTimeMs;
    uint32_t best = courseList.courses[course].bestTimeMs;
    if (best != 0 && time >= best) return 0;
    courseList.courses[course].bestTimeMs = time;
    const CoursePack* pack = PackOfCourse(course);
    if (pack) SavePackBestTimes(*pack);
    else SaveBestTimes();
    return 1;
}

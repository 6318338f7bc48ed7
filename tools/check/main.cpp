// kestrune-check [GAME_FOLDER] [--play]: reads the folder's def.ini,
// course.ini and sprite.ini with the game's own loaders and lists every
// problem as file:line: message; with --play it also races every course
// with the autopilot. Exit code 0 clean, 1 warnings, 2 errors.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

#include "tools/check/check.h"
#include "data/extras.h"
#include "data/texts.h"
#include "platform/paths.h"
#include "platform/sys.h"

namespace fs = std::filesystem;

namespace {

int Usage()
{
    fprintf(stderr, "%s", Say(CHECK_USAGE).c_str());
    return 2;
}

// Races keep their times and ghosts as the game does; they run on a copy of
// the folder, which also holds those saves, so neither the author's folder
// nor the player's own saves are ever touched.
std::string RaceCopy(const std::string& folder)
{
    fs::path copy = fs::temp_directory_path() / ("kestrune-check-" + std::to_string(getpid()));
    std::error_code error;
    fs::remove_all(copy, error);
    fs::copy(folder, copy, fs::copy_options::recursive, error);
    if (error) return "";
    fs::remove(copy / "record.sav", error);
    fs::remove(copy / "config.sav", error);
    return copy.string() + "/";
}

void UseFolder(const std::string& folder)
{
    SysUseOneFolder(folder.c_str());
    SysUseCacheFolder(nullptr);   // the folder checked is only read: no terrain cache in it
    SysMakeGameFolderCurrent();
}

}  // namespace

int main(int argc, char** argv)
{
    SetLanguage(SystemLanguage());
    bool play = false;
    std::string folder;
    for (int i = 1; i < argc; i++) {
        if (!strcmp(argv[i], "--play")) play = true;
        else if (argv[i][0] == '-' || !folder.empty()) return Usage();
        else folder = argv[i];
    }
    if (folder.empty()) folder = SysGameFolder();
    if (!fs::is_directory(folder)) {
        fprintf(stderr, "%s", Say(CHECK_NOT_A_FOLDER, folder.c_str()).c_str());
        return 2;
    }
    folder = fs::absolute(folder).lexically_normal().string();
    if (folder.back() != '/') folder += "/";
    InstallMessageCapture();
    UseFolder(folder);
    // The report speaks the game's language for this folder.
    LoadExtras();
    printf("%s", Say(CHECK_CHECKING, folder.c_str()).c_str());
    CheckSprites();
    CheckSettings();
    CheckCourses();
    if (play) {
        std::string copy = RaceCopy(folder);
        if (copy.empty()) {
            Report("course.ini", 0, SEVERITY_ERROR, Say(CHECK_NO_RACE_COPY));
        } else {
            UseFolder(copy);
            PlayCourses();
            std::error_code error;
            fs::remove_all(copy, error);
        }
    }
    PrintFindings();
    return ExitCode();
}

// kestrune-check [GAME_FOLDER] [--pack DIR] [--play] [--write-par] [--json]
// kestrune-check --new DIR
// Reads a game folder's def.ini, course.ini and sprite.ini (or, with --pack,
// a course pack's course.ini against the game folder's def.ini) with the
// game's own loaders and lists every problem as file:line: message; with
// --play it also races every course with the autopilot, and for a pack
// writes each finished race as the course's par time and par run
// (--write-par does that for the game folder's own courses). --json gives the
// findings as one JSON document instead. --new writes a starter pack.
// Exit code 0 clean, 1 warnings, 2 errors.
#include <cstdio>
#include <cstdlib>
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

struct Options {
    std::string folder;   // GAME_FOLDER; "" the game's own
    std::string pack;     // --pack DIR
    std::string newPack;  // --new DIR
    bool play;
    bool writePar;        // the game folder's races become its pars (implies play)
    bool json;
};

int Usage()
{
    fprintf(stderr, "%s", Say(CHECK_USAGE).c_str());
    return 2;
}

// A value for an option that takes one; 0 when it is missing.
int TakeValue(int argc, char** argv, int* i, std::string* out)
{
    if (*i + 1 >= argc || !out->empty()) return 0;
    *out = argv[++*i];
    return !out->empty();
}

int ParseOptions(int argc, char** argv, Options* out)
{
    *out = Options{};
    for (int i = 1; i < argc; i++) {
        if (!strcmp(argv[i], "--play")) out->play = true;
        else if (!strcmp(argv[i], "--write-par")) out->play = out->writePar = true;
        else if (!strcmp(argv[i], "--json")) out->json = true;
        else if (!strcmp(argv[i], "--pack")) { if (!TakeValue(argc, argv, &i, &out->pack)) return 0; }
        else if (!strcmp(argv[i], "--new")) { if (!TakeValue(argc, argv, &i, &out->newPack)) return 0; }
        else if (argv[i][0] == '-' || !out->folder.empty()) return 0;
        else out->folder = argv[i];
    }
    // --new stands alone.
    return out->newPack.empty() || (!out->play && !out->json && out->pack.empty() && out->folder.empty());
}

std::string AbsoluteFolder(const std::string& folder)
{
    std::string path = fs::absolute(folder).lexically_normal().string();
    return path.back() == '/' ? path : path + "/";
}

// A folder of the system's temporary folder, made afresh; "" when it cannot be.
std::string TempFolder()
{
    fs::path dir = fs::temp_directory_path() / ("kestrune-check-" + std::to_string(getpid()));
    std::error_code error;
    fs::remove_all(dir, error);
    return fs::create_directories(dir, error) ? dir.string() + "/" : "";
}

// Races keep their times and ghosts as the game does; they run on a copy of
// the folder, which also holds those saves, so neither the author's folder
// (but for the par files asked for) nor the player's own saves are ever
// touched.
std::string RaceCopy(const std::string& folder)
{
    std::string copy = TempFolder();
    std::error_code error;
    if (copy.empty()) return "";
    fs::copy(folder, copy, fs::copy_options::recursive, error);
    if (error) return "";
    fs::remove(fs::path(copy) / "record.sav", error);
    fs::remove(fs::path(copy) / "config.sav", error);
    fs::remove_all(fs::path(copy) / "ghost", error);
    fs::remove_all(fs::path(copy) / "packs", error);
    // The autopilot presses the default keys, at once: the player's own
    // bindings, ramp or calibration must not steer its races.
    for (const char* own : {"extras.sav", "controls.txt", "calibration.txt"})
        fs::remove(fs::path(copy) / own, error);
    return copy;
}

void UseFolder(const std::string& folder)
{
    SysUseOneFolder(folder.c_str());
    SysUseCacheFolder(nullptr);   // the folder checked is only read: no terrain cache in it
    SysMakeGameFolderCurrent();
}

std::vector<RaceResult> RaceGameFolder(const std::string& folder, bool writePar)
{
    std::string copy = RaceCopy(folder);
    if (copy.empty()) {
        Report("course.ini", 0, SEVERITY_ERROR, Say(CHECK_NO_RACE_COPY));
        return {};
    }
    UseFolder(copy);
    std::vector<RaceResult> races = PlayCourses(nullptr);
    if (writePar) WriteParFiles(folder, &races);
    std::error_code error;
    fs::remove_all(copy, error);
    return races;
}

// A pack races against the game folder as it is; its records go to a
// folder of their own, and only the par files are written into the pack.
std::vector<RaceResult> RacePack(const std::string& folder, const std::string& pack)
{
    std::string saves = TempFolder();
    if (saves.empty()) {
        Report("course.ini", 0, SEVERITY_ERROR, Say(CHECK_NO_RACE_FOLDER));
        return {};
    }
    SysUseFolders(folder.c_str(), saves.c_str());
    SysUseCacheFolder(nullptr);
    std::vector<RaceResult> races = PlayCourses(pack.c_str());
    WriteParFiles(pack, &races);
    std::error_code error;
    fs::remove_all(saves, error);
    return races;
}

int CheckFolder(const Options& options)
{
    std::string folder = options.folder.empty() ? SysGameFolder() : options.folder;
    if (!fs::is_directory(folder)) {
        fprintf(stderr, "%s", Say(CHECK_NOT_A_FOLDER, folder.c_str()).c_str());
        return 2;
    }
    folder = AbsoluteFolder(folder);
    std::string pack = options.pack.empty() ? "" : AbsoluteFolder(options.pack);
    if (!pack.empty() && !fs::is_directory(pack)) {
        fprintf(stderr, "%s", Say(CHECK_PACK_NOT_A_FOLDER, options.pack.c_str()).c_str());
        return 2;
    }
    InstallMessageCapture();
    UseFolder(folder);
    // The report speaks the game's language for this folder.
    LoadExtras();
    if (!options.json) printf("%s", Say(CHECK_CHECKING, pack.empty() ? folder.c_str() : pack.c_str()).c_str());
    if (pack.empty()) {
        CheckSprites();
        CheckSettings();
    }
    CheckCourses(pack.empty() ? nullptr : pack.c_str());
    if (pack.empty()) CheckPars();
    std::vector<RaceResult> races;
    if (options.play) races = pack.empty() ? RaceGameFolder(folder, options.writePar) : RacePack(folder, pack);
    if (options.json) PrintJson(pack.empty() ? folder : pack, !pack.empty(), races);
    else PrintFindings(pack.empty() ? "" : options.pack);
    return ExitCode();
}

}  // namespace

int main(int argc, char** argv)
{
    SetLanguage(SystemLanguage());
    Options options;
    if (!ParseOptions(argc, argv, &options)) return Usage();
    if (!options.newPack.empty()) return WriteStarterPack(options.newPack);
    return CheckFolder(options);
}

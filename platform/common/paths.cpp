// Where the game reads its data and keeps the player's files: the executable's
// surroundings, --data, the XDG variables, and the "portable" marker.
#include "platform/paths.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

// Where an installed game finds its data, from the executable's folder; the
// build passes the install layout's own (games/ and share/games/kestrune/).
#ifndef KESTRUNE_GAME_DATA_FROM_EXE
#define KESTRUNE_GAME_DATA_FROM_EXE "../share/games/kestrune/"
#endif

namespace {

struct Folders {
    bool chosen;             // set by SysChooseFolders or SysUseOneFolder
    bool portable;           // the player's folders are the executable's
    bool ownGame;            // the game folder is the game's own, not --data's
    std::string executable;  // the executable's folder
    std::string game;        // read-only data
    std::string config;      // config.sav, extras.sav
    std::string save;        // record.sav, ghost/, packs/, the lock
    std::string packs;       // the player's course packs
    std::string cache;       // what can be made again; "" for none
};
Folders folders;

bool IsFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsFolder(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string WithSlash(std::string path)
{
    if (!path.empty() && path.back() != '/') path += '/';
    return path;
}

// The path with symbolic links and "..", for telling two spellings of one
// folder apart; as given when it does not exist.
std::string Canonical(const std::string& path)
{
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? WithSlash(resolved) : WithSlash(path);
}

std::string ReadExecutableFolder()
{
    char path[PATH_MAX + 1];
    ssize_t n = readlink("/proc/self/exe", path, PATH_MAX);
    if (n <= 0) return "./";
    path[n] = '\0';
    char* slash = strrchr(path, '/');
    if (!slash) return "./";
    slash[1] = '\0';
    return path;
}

// The game's own data: beside the executable when def.ini is there (the
// build folder, an unpacked copy), else where the install put it.
std::string OwnGameFolder(const std::string& executable)
{
    if (IsFile(executable + "def.ini")) return executable;
    std::string installed = Canonical(executable + KESTRUNE_GAME_DATA_FROM_EXE);
    return IsFolder(installed) ? installed : executable;
}

uint32_t Fnv1a(const std::string& text)
{
    uint32_t hash = 2166136261u;
    for (unsigned char c : text) hash = (hash ^ c) * 16777619u;
    return hash;
}

// Another game folder's records must not mix with the game's own: course 0
// there is a different course. Its saves go to games/<name>-<hash of path>/
// below the save folder, readable and unique per folder.
std::string SaveFolderOfOtherGame(const std::string& gameFolder)
{
    std::string path = gameFolder.substr(0, gameFolder.size() - 1);
    std::string name = path.substr(path.rfind('/') + 1);
    char hash[16];
    snprintf(hash, sizeof hash, "-%08x/", Fnv1a(path));
    return "games/" + (name.empty() ? std::string("root") : name) + hash;
}

// mkdir -p with the mode the XDG rules ask for.
bool MakeFolders(const std::string& path)
{
    if (path.empty()) return false;
    for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1)) {
        std::string part = path.substr(0, at);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return IsFolder(path);
}

void ChooseFromProcessUnlessChosen()
{
    if (!folders.chosen) SysChooseFolders(SysFolderSourcesOfProcess(nullptr));
}

}  // namespace

void SysUseCacheFolder(const char* dir)
{
    ChooseFromProcessUnlessChosen();
    folders.cache = dir && dir[0] ? WithSlash(dir) : "";
}

std::string SysXdgBaseFolder(const char* value, const char* home, const char* fallback)
{
    if (value && value[0] == '/') return WithSlash(value);
    if (!home || home[0] != '/') return "";
    return WithSlash(home) + fallback;
}

SysFolderSources SysFolderSourcesOfProcess(const char* gameFolder)
{
    SysFolderSources from{};
    from.executableFolder = ReadExecutableFolder();
    from.gameFolder = gameFolder ? gameFolder : "";
    from.home = getenv("HOME");
    if (!from.home || !from.home[0]) {
        const passwd* entry = getpwuid(getuid());
        from.home = entry ? entry->pw_dir : nullptr;
    }
    from.xdgConfigHome = getenv("XDG_CONFIG_HOME");
    from.xdgDataHome = getenv("XDG_DATA_HOME");
    from.xdgCacheHome = getenv("XDG_CACHE_HOME");
    return from;
}

int SysChooseFolders(const SysFolderSources& from)
{
    folders = Folders{};
    folders.chosen = true;
    folders.executable = WithSlash(from.executableFolder);
    folders.portable = IsFile(folders.executable + "portable");
    std::string own = OwnGameFolder(folders.executable);
    folders.game = from.gameFolder.empty() ? own : Canonical(from.gameFolder);
    folders.ownGame = Canonical(folders.game) == Canonical(own);
    // A game without a cache is only slower: no home for it is no failure.
    std::string cache = SysXdgBaseFolder(from.xdgCacheHome, from.home, ".cache/");
    folders.cache = folders.portable ? folders.executable + "cache/" : cache.empty() ? "" : cache + "kestrune/";
    if (folders.portable) {
        folders.config = folders.save = folders.executable;
        folders.packs = folders.executable + "courses/";
    } else {
        std::string config = SysXdgBaseFolder(from.xdgConfigHome, from.home, ".config/");
        std::string data = SysXdgBaseFolder(from.xdgDataHome, from.home, ".local/share/");
        if (config.empty() || data.empty()) return 0;
        folders.config = config + "kestrune/";
        folders.save = data + "kestrune/";
        folders.packs = folders.save + "courses/";
    }
    if (!folders.ownGame) folders.save += SaveFolderOfOtherGame(Canonical(folders.game));
    return 1;
}

const char* SysGameFolder()
{
    ChooseFromProcessUnlessChosen();
    return folders.game.c_str();
}

const char* SysConfigFolder()
{
    ChooseFromProcessUnlessChosen();
    return folders.config.c_str();
}

const char* SysSaveFolder()
{
    ChooseFromProcessUnlessChosen();
    return folders.save.c_str();
}

const char* SysPackFolder()
{
    ChooseFromProcessUnlessChosen();
    return folders.packs.c_str();
}

const char* SysCacheFolder()
{
    ChooseFromProcessUnlessChosen();
    return folders.cache.c_str();
}

const char* SysExecutableFolder()
{
    ChooseFromProcessUnlessChosen();
    return folders.executable.c_str();
}

int SysPortable()
{
    ChooseFromProcessUnlessChosen();
    return folders.portable ? 1 : 0;
}

int SysPlaysOwnGameFolder()
{
    ChooseFromProcessUnlessChosen();
    return folders.ownGame ? 1 : 0;
}

int SysMakeGameFolderCurrent()
{
    return chdir(SysGameFolder()) == 0 ? 1 : 0;
}

int SysMakeFolderCurrent(const char* folder)
{
    return folder && folder[0] && chdir(folder) == 0 ? 1 : 0;
}

std::string SysCanonicalFolder(const char* folder)
{
    return Canonical(folder ? folder : "");
}

int SysMakePlayerFolders()
{
    bool config = MakeFolders(SysConfigFolder());
    bool save = MakeFolders(SysSaveFolder());
    return config && save ? 1 : 0;
}

int SysMakeCacheFolder()
{
    return MakeFolders(SysCacheFolder()) ? 1 : 0;
}

void SysUseOneFolder(const char* dir)
{
    SysUseFolders(dir, dir);
}

void SysUseFolders(const char* gameDir, const char* saveDir)
{
    folders = Folders{};
    if (!gameDir || !gameDir[0] || !saveDir || !saveDir[0]) return;   // chosen again from the process when next asked
    folders.chosen = true;
    folders.portable = true;
    folders.ownGame = true;
    folders.executable = folders.game = WithSlash(gameDir);
    folders.config = folders.save = WithSlash(saveDir);
    folders.packs = folders.save + "courses/";
    folders.cache = folders.save + "cache/";
}

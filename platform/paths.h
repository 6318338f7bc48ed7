// The game's folders, each ending in '/':
//  - the game folder: def.ini, course.ini, sprite.ini and all they name,
//    only ever read;
//  - the config folder: config.sav and extras.sav;
//  - the save folder: record.sav, ghost/, the course packs' records and
//    ghosts in packs/, and the one-copy lock;
//  - the player's pack folder: course packs the player dropped in, each a
//    folder of its own ($XDG_DATA_HOME/kestrune/courses/, or courses/ beside
//    a portable executable);
//  - the cache folder: what the game can make again (terrain trees), which
//    may be deleted at any time.
// Installed, the game folder is <exe>/../share/games/kestrune/ and the
// player's folders follow the XDG base-directory rules: $XDG_CONFIG_HOME/
// kestrune/, $XDG_DATA_HOME/kestrune/ and $XDG_CACHE_HOME/kestrune/
// (~/.config/kestrune/, ~/.local/share/kestrune/ and ~/.cache/kestrune/ by
// default). A game folder beside the executable (def.ini there) is used
// instead of the installed one, and a file named "portable" beside the
// executable keeps the player's folders there too (the cache in cache/), as
// in the build folder.
#pragma once
#include <string>

// What the folders are chosen from. Null or empty counts as unset.
struct SysFolderSources {
    std::string executableFolder;   // where the program sits, ending in '/'
    std::string gameFolder;         // --data DIR; "" for the game's own
    const char* home;               // $HOME, else the password entry's home
    const char* xdgConfigHome;      // $XDG_CONFIG_HOME
    const char* xdgDataHome;        // $XDG_DATA_HOME
    const char* xdgCacheHome;       // $XDG_CACHE_HOME
};
// This process's executable and environment, with `gameFolder` (may be null).
SysFolderSources SysFolderSourcesOfProcess(const char* gameFolder);

// Chooses the folders once at start; asked before, they are chosen from the
// process with the game's own folder. 1 chosen; 0 when no home folder can be
// found for the player's folders (they are then empty and nothing is saved).
int SysChooseFolders(const SysFolderSources& from);

const char* SysGameFolder();
const char* SysConfigFolder();
const char* SysSaveFolder();
const char* SysPackFolder();         // the player's course packs; "" without a home
const char* SysCacheFolder();        // "" when there is none: then nothing is cached
const char* SysExecutableFolder();   // as the choice saw it
int SysPortable();                   // the player's folders are the executable's
// The game folder is the game's own, not another one given with --data:
// saves kept beside the executable by earlier versions belong to it.
int SysPlaysOwnGameFolder();

int SysMakeGameFolderCurrent();      // 1 ok
int SysMakeFolderCurrent(const char* folder);   // 1 ok
// The folder with links and ".." resolved, ending in '/': two spellings of
// one folder give the same text. As given (with '/') when it does not exist.
std::string SysCanonicalFolder(const char* folder);
// Makes the config and the save folder where missing (mode 0700, parents
// too). 1 when both are there afterwards; a failure is left to the saves to
// report, each with its path and reason.
int SysMakePlayerFolders();
// Makes the cache folder where missing, as the player's folders; 1 when there.
int SysMakeCacheFolder();

// Everything (game, config and save folder, the cache in cache/) in `dir`,
// as a portable copy there would have it: for tests and the course checker, which must never
// touch the player's own folders. Null goes back to the executable's.
void SysUseOneFolder(const char* dir);
// The same with the game folder apart (the config folder and the cache go
// with the save folder): the course checker races a pack against the game's
// data while the records go to a folder of its own.
void SysUseFolders(const char* gameDir, const char* saveDir);

// Puts the cache in `dir` from now on; null or "" for none (nothing is then
// cached), as for the course checker, whose folder is only ever read.
void SysUseCacheFolder(const char* dir);

// One XDG base folder: `value` when it is an absolute path; otherwise (unset,
// empty or relative, which the XDG rules say to ignore) `home` joined with
// `fallback` ("" when there is no home either). Ends in '/' unless "".
std::string SysXdgBaseFolder(const char* value, const char* home, const char* fallback);

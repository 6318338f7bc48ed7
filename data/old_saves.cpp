// Earlier versions wrote every save beside the executable: in the build
// folder, or in <prefix>/lib/kestrune/ of the per-user install, whose
// executable now sits in <prefix>/games/. Saves are copied from the first of
// those places that has any, once: only into a folder this start makes, so a
// player who later clears a folder is not handed the old saves again.
#include "data/old_saves.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"

namespace {

const char* const kConfigFiles[] = {"config.sav", "extras.sav"};

// The first old place holding any save; "" when none does.
std::string OldPlace()
{
    std::string executable = SysExecutableFolder();
    std::string perUser = std::filesystem::path(executable + "../lib/kestrune/").lexically_normal().string();
    for (const std::string& place : {executable, perUser}) {
        for (const char* name : {"config.sav", "extras.sav", "record.sav", "ghost"}) {
            if (SysIsFile((place + name).c_str()) || SysIsFolder((place + name).c_str())) return place;
        }
    }
    return "";
}

void CopyOne(const std::string& from, const std::string& to)
{
    if (!SysIsFile(from.c_str())) return;
    if (SysCopyNewFile(from.c_str(), to.c_str()))
        printf("Kestrune: copied your earlier save %s to %s\n", from.c_str(), to.c_str());
    else
        perror(("Kestrune: could not copy your earlier save " + from + " to " + to).c_str());
}

// The ghost files, one a course, into ghost/ of the save folder.
void CopyGhosts(const std::string& old, const std::string& save)
{
    std::vector<std::string> names;
    if (!SysListFolder((old + "ghost").c_str(), &names) || names.empty()) return;
    SysMakeFolder((save + "ghost").c_str());
    for (const std::string& name : names) CopyOne(old + "ghost/" + name, save + "ghost/" + name);
}

}  // namespace

void CarryOverOldSaves()
{
    std::string config = SysConfigFolder();
    std::string save = SysSaveFolder();
    bool carry = !SysPortable() && SysPlaysOwnGameFolder();
    bool newConfig = carry && !config.empty() && !SysIsFolder(config.c_str());
    bool newSave = carry && !save.empty() && !SysIsFolder(save.c_str());
    SysMakePlayerFolders();
    std::string old = newConfig || newSave ? OldPlace() : "";
    if (old.empty()) return;
    if (newConfig) {
        for (const char* name : kConfigFiles) CopyOne(old + name, config + name);
    }
    if (newSave) {
        CopyOne(old + "record.sav", save + "record.sav");
        CopyGhosts(old, save);
    }
    fflush(stdout);
}

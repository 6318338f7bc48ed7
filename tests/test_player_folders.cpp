// The game's folders: the XDG rules, the installed and portable layouts,
// another game folder's saves kept apart, old saves carried over once and
// never over anything, and a save folder that cannot be made.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/loop.h"
#include "core/game.h"
#include "data/course_list.h"
#include "data/old_saves.h"
#include "data/save_files.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "support/data_files.h"

namespace {

// XDG base folders: an absolute value wins; unset, empty and relative values
// are ignored for the home folder's default; without a home there is none.
TEST(XdgBaseFolder, AbsoluteValuesOnly)
{
    EXPECT_EQ(SysXdgBaseFolder("/x/config", "/home/a", ".config/"), "/x/config/");
    EXPECT_EQ(SysXdgBaseFolder("/x/config/", "/home/a", ".config/"), "/x/config/");
    EXPECT_EQ(SysXdgBaseFolder(nullptr, "/home/a", ".config/"), "/home/a/.config/");
    EXPECT_EQ(SysXdgBaseFolder("", "/home/a/", ".local/share/"), "/home/a/.local/share/");
    EXPECT_EQ(SysXdgBaseFolder("x/config", "/home/a", ".config/"), "/home/a/.config/");
    EXPECT_EQ(SysXdgBaseFolder("~/config", "/home/a", ".config/"), "/home/a/.config/");
    EXPECT_EQ(SysXdgBaseFolder(nullptr, nullptr, ".config/"), "");
    EXPECT_EQ(SysXdgBaseFolder(nullptr, "relative", ".config/"), "");
}

// A played-on machine in a temporary folder: the executable's folder
// games/, the installed game folder share/games/kestrune/, a home, and the
// old per-user install's folder lib/kestrune/.
class PlayerFolders : public DataFilesTest {
protected:
    void SetUp() override
    {
        DataFilesTest::SetUp();
        for (const char* folder : {"games", "share", "share/games", "share/games/kestrune", "home", "lib",
                                   "lib/kestrune", "other"})
            ASSERT_EQ(1, SysMakeFolder((dir + folder).c_str()));
        WriteBytes("share/games/kestrune/def.ini", "");
        WriteBytes("other/def.ini", "");
        game = {};
        saveReports = {};
    }
    void TearDown() override
    {
        FreeCourseList();
        DataFilesTest::TearDown();
    }
    SysFolderSources Sources(const char* config = nullptr, const char* data = nullptr,
                             const std::string& gameFolder = "")
    {
        home = dir + "home";
        SysFolderSources from{};
        from.executableFolder = dir + "games/";
        from.gameFolder = gameFolder;
        from.home = home.c_str();
        from.xdgConfigHome = config;
        from.xdgDataHome = data;
        return from;
    }
    void WriteOldSaves(const std::string& place)
    {
        WriteBytes(place + "config.sav", "OPTIONS");
        WriteBytes(place + "extras.sav", "EXTRAS");
        WriteBytes(place + "record.sav", "RECORDS");
        ASSERT_EQ(1, SysMakeFolder((dir + place + "ghost").c_str()));
        WriteBytes(place + "ghost/course0.gho", "GHOST0");
    }
    std::string home;
};

// Installed: the game folder found from the executable by the install layout,
// options and records in the XDG folders, as set or by their defaults.
TEST_F(PlayerFolders, InstalledGameUsesTheXdgFolders)
{
    std::string config = dir + "cfg";
    std::string data = dir + "data";
    ASSERT_EQ(1, SysChooseFolders(Sources(config.c_str(), data.c_str())));
    EXPECT_EQ(std::string(SysGameFolder()), dir + "share/games/kestrune/");
    EXPECT_EQ(std::string(SysConfigFolder()), dir + "cfg/kestrune/");
    EXPECT_EQ(std::string(SysSaveFolder()), dir + "data/kestrune/");
    EXPECT_EQ(SysPortable(), 0);
    EXPECT_EQ(SysPlaysOwnGameFolder(), 1);

    ASSERT_EQ(1, SysChooseFolders(Sources("", "relative/data")));
    EXPECT_EQ(std::string(SysConfigFolder()), dir + "home/.config/kestrune/");
    EXPECT_EQ(std::string(SysSaveFolder()), dir + "home/.local/share/kestrune/");
    EXPECT_FALSE(SysIsFolder(SysSaveFolder()));   // choosing makes nothing
    ASSERT_EQ(1, SysMakePlayerFolders());
    EXPECT_TRUE(SysIsFolder(SysConfigFolder()));
    EXPECT_TRUE(SysIsFolder(SysSaveFolder()));
}

// A game folder beside the executable is played; its saves go to the XDG
// folders unless a "portable" file there keeps them beside it.
TEST_F(PlayerFolders, PortableMarkerKeepsEverythingBesideTheExecutable)
{
    WriteBytes("games/def.ini", "");
    ASSERT_EQ(1, SysChooseFolders(Sources()));
    EXPECT_EQ(std::string(SysGameFolder()), dir + "games/");
    EXPECT_EQ(std::string(SysSaveFolder()), dir + "home/.local/share/kestrune/");
    WriteBytes("games/portable", "");
    ASSERT_EQ(1, SysChooseFolders(Sources("/elsewhere", "/elsewhere")));
    EXPECT_EQ(SysPortable(), 1);
    EXPECT_EQ(std::string(SysGameFolder()), dir + "games/");
    EXPECT_EQ(std::string(SysConfigFolder()), dir + "games/");
    EXPECT_EQ(std::string(SysSaveFolder()), dir + "games/");
}

// --data: another game's records (its course 0 is another course) are kept
// in a folder of their own, while options stay shared; the game's own folder
// by another spelling is still the game's own.
TEST_F(PlayerFolders, AnotherGameFolderKeepsItsRecordsApart)
{
    ASSERT_EQ(1, SysChooseFolders(Sources(nullptr, nullptr, dir + "other")));
    EXPECT_EQ(std::string(SysGameFolder()), dir + "other/");
    EXPECT_EQ(std::string(SysConfigFolder()), dir + "home/.config/kestrune/");
    std::string save = SysSaveFolder();
    std::string prefix = dir + "home/.local/share/kestrune/games/other-";
    ASSERT_EQ(save.compare(0, prefix.size(), prefix), 0) << save;
    EXPECT_EQ(save.size(), prefix.size() + 9);   // eight hex digits and '/'
    EXPECT_EQ(SysPlaysOwnGameFolder(), 0);

    ASSERT_EQ(1, SysChooseFolders(Sources(nullptr, nullptr, dir + "games/../share/games/kestrune")));
    EXPECT_EQ(std::string(SysSaveFolder()), dir + "home/.local/share/kestrune/");
    EXPECT_EQ(SysPlaysOwnGameFolder(), 1);
}

// The terrain cache goes to $XDG_CACHE_HOME/kestrune/ (~/.cache/kestrune/),
// one for every game folder (its files are named by their meshes), to
// cache/ beside a portable executable, and nowhere without a home.
TEST_F(PlayerFolders, CacheFolderFollowsTheXdgRules)
{
    SysFolderSources from = Sources();
    std::string cache = dir + "cch";
    from.xdgCacheHome = cache.c_str();
    ASSERT_EQ(1, SysChooseFolders(from));
    EXPECT_EQ(std::string(SysCacheFolder()), dir + "cch/kestrune/");
    from.xdgCacheHome = "relative";
    from.gameFolder = dir + "other";
    ASSERT_EQ(1, SysChooseFolders(from));
    EXPECT_EQ(std::string(SysCacheFolder()), dir + "home/.cache/kestrune/");
    EXPECT_FALSE(SysIsFolder(SysCacheFolder()));
    EXPECT_EQ(1, SysMakeCacheFolder());
    EXPECT_TRUE(SysIsFolder(SysCacheFolder()));
    from.home = nullptr;
    SysChooseFolders(from);
    EXPECT_STREQ(SysCacheFolder(), "");
    EXPECT_EQ(0, SysMakeCacheFolder());
    WriteBytes("games/portable", "");
    ASSERT_EQ(1, SysChooseFolders(Sources()));
    EXPECT_EQ(std::string(SysCacheFolder()), dir + "games/cache/");
    // The course checker's folder is only read: it caches nothing.
    SysUseOneFolder(dir.c_str());
    EXPECT_EQ(std::string(SysCacheFolder()), dir + "cache/");
    SysUseCacheFolder(nullptr);
    EXPECT_STREQ(SysCacheFolder(), "");
    EXPECT_EQ(0, SysMakeCacheFolder());
}

// No home and no absolute XDG folder: nothing can be kept, and saving says
// so instead of writing into the current folder.
TEST_F(PlayerFolders, NoHomeSavesNothing)
{
    SysFolderSources from = Sources();
    from.home = nullptr;
    EXPECT_EQ(0, SysChooseFolders(from));
    EXPECT_STREQ(SysSaveFolder(), "");
    testing::internal::CaptureStderr();
    EXPECT_EQ(0, SaveOptions());
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("cannot save config.sav"), std::string::npos) << said;
    EXPECT_FALSE(FileExists("config.sav"));
}

// The first start copies the old saves beside the executable into the new
// folders, says each on standard output and leaves the old ones; a later
// start copies nothing, not even what the player has since removed.
TEST_F(PlayerFolders, OldSavesAreCarriedOverOnce)
{
    WriteOldSaves("games/");
    ASSERT_EQ(1, SysChooseFolders(Sources()));
    testing::internal::CaptureStdout();
    CarryOverOldSaves();
    std::string said = testing::internal::GetCapturedStdout();
    EXPECT_EQ(ReadBytes("home/.config/kestrune/config.sav"), "OPTIONS");
    EXPECT_EQ(ReadBytes("home/.config/kestrune/extras.sav"), "EXTRAS");
    EXPECT_EQ(ReadBytes("home/.local/share/kestrune/record.sav"), "RECORDS");
    EXPECT_EQ(ReadBytes("home/.local/share/kestrune/ghost/course0.gho"), "GHOST0");
    for (const char* name : {"config.sav", "extras.sav", "record.sav", "ghost/course0.gho"})
        EXPECT_NE(said.find(dir + "games/" + name), std::string::npos) << name << " in: " << said;
    EXPECT_EQ(ReadBytes("games/record.sav"), "RECORDS");

    ASSERT_EQ(0, remove((dir + "home/.config/kestrune/config.sav").c_str()));
    WriteBytes("home/.local/share/kestrune/record.sav", "NEWER");
    testing::internal::CaptureStdout();
    CarryOverOldSaves();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(FileExists("home/.config/kestrune/config.sav"));
    EXPECT_EQ(ReadBytes("home/.local/share/kestrune/record.sav"), "NEWER");
}

// The old per-user install kept its saves in <prefix>/lib/kestrune/; a save
// folder the player already has is left alone while the new config folder
// still gets its files.
TEST_F(PlayerFolders, CarryOverFromTheOldInstallNeverOverwrites)
{
    WriteOldSaves("lib/kestrune/");
    ASSERT_EQ(1, SysMakeFolder((dir + "home/.local").c_str()));
    ASSERT_EQ(1, SysMakeFolder((dir + "home/.local/share").c_str()));
    ASSERT_EQ(1, SysMakeFolder((dir + "home/.local/share/kestrune").c_str()));
    WriteBytes("home/.local/share/kestrune/record.sav", "MINE");
    ASSERT_EQ(1, SysChooseFolders(Sources()));
    testing::internal::CaptureStdout();
    CarryOverOldSaves();
    std::string said = testing::internal::GetCapturedStdout();
    EXPECT_EQ(ReadBytes("home/.config/kestrune/config.sav"), "OPTIONS");
    EXPECT_NE(said.find(dir + "lib/kestrune/config.sav"), std::string::npos) << said;
    EXPECT_EQ(ReadBytes("home/.local/share/kestrune/record.sav"), "MINE");
    EXPECT_FALSE(FileExists("home/.local/share/kestrune/ghost/course0.gho"));

    // The copy itself refuses to replace anything and leaves no partial file.
    std::string from = dir + "lib/kestrune/record.sav";
    std::string to = dir + "home/.local/share/kestrune/record.sav";
    EXPECT_EQ(0, SysCopyNewFile(from.c_str(), to.c_str()));
    EXPECT_EQ(ReadBytes("home/.local/share/kestrune/record.sav"), "MINE");
    EXPECT_FALSE(FileExists("home/.local/share/kestrune/record.sav.tmp"));
}

// Portable, and another game folder: the saves beside the executable stay
// where they are, and nothing is copied or said.
TEST_F(PlayerFolders, NoCarryOverWhenPortableOrForAnotherGame)
{
    WriteOldSaves("games/");
    WriteBytes("games/portable", "");
    ASSERT_EQ(1, SysChooseFolders(Sources()));
    testing::internal::CaptureStdout();
    CarryOverOldSaves();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(FileExists("home/.config"));

    ASSERT_EQ(0, remove((dir + "games/portable").c_str()));
    ASSERT_EQ(1, SysChooseFolders(Sources(nullptr, nullptr, dir + "other")));
    testing::internal::CaptureStdout();
    CarryOverOldSaves();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(FileExists("home/.config/kestrune/config.sav"));
    EXPECT_FALSE(FileExists("home/.local/share/kestrune/record.sav"));
}

// A save folder that cannot be made (a file where it should go): each save
// says once where and why, options still save, the game still starts (no
// lock, no refusal) and nothing lands in the game folder instead.
TEST_F(PlayerFolders, UnwritableSaveFolderSaysSoOnce)
{
    WriteBytes("blocker", "x");
    std::string blocked = dir + "blocker";
    ASSERT_EQ(1, SysChooseFolders(Sources(nullptr, blocked.c_str())));
    EXPECT_EQ(0, SysMakePlayerFolders());
    courseList.courses = (CourseDef*)calloc(1, sizeof(CourseDef));
    courseList.courseCount = 1;
    testing::internal::CaptureStderr();
    EXPECT_EQ(0, SaveBestTimes());
    EXPECT_EQ(0, SaveBestTimes());
    EXPECT_EQ(1, SaveOptions());
    EXPECT_EQ(1, TakeInstanceLock());
    ReleaseInstanceLock();
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "Kestrune: cannot save " + blocked + "/kestrune/record.sav: Not a directory "
                    "(the game goes on, but this is not kept)\n");
    EXPECT_FALSE(FileExists("share/games/kestrune/record.sav"));
    EXPECT_FALSE(FileExists("record.sav"));
}

}  // namespace

// "config.sav" and "record.sav": byte layout, short files, best-time rules,
// and saves that replace the old file whole or not at all, also when the
// game is killed while it writes them and the ghost and extras files.
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "core/game.h"
#include "app/loop.h"
#include "data/course_list.h"
#include "data/save_files.h"
#include "data/settings.h"
#include "render/shapes.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/sys.h"
#include "support/data_files.h"
#include "support/save_soak.h"

namespace {

class SaveFilesTest : public DataFilesTest {
protected:
    void SetUp() override
    {
        DataFilesTest::SetUp();
        game = {};
        loop = {};
        saveReports = {};
    }
    void TearDown() override
    {
        FreeCourseList();
        DataFilesTest::TearDown();
    }
    void MakeCourses(int count)
    {
        FreeCourseList();
        courseList.courses = (CourseDef*)calloc((size_t)count, sizeof(CourseDef));
        courseList.courseCount = count;
    }
    void FinishRace(int course, uint32_t timeMs)
    {
        game.currentCourse = course;
        loop.raceTimeMs = timeMs;
        KeepBestTime();
    }
};

}  // namespace

// First goal without a record.sav writes one little-endian entry per course, all 0 but the finished one.
TEST_F(SaveFilesTest, FirstGoalCreatesRecord)
{
    MakeCourses(3);
    EXPECT_EQ(LoadBestTimes(), 0);
    FinishRace(1, 0x01020304);
    EXPECT_EQ(ReadBytes("record.sav"), LittleEndianWords({0, 0x01020304, 0}));
    EXPECT_EQ(std::string(ReadBytes("record.sav").substr(4, 4)), std::string("\x04\x03\x02\x01"));
    EXPECT_FALSE(FileExists("record.sav.tmp"));
    EXPECT_TRUE(shownMessages.empty());
}

// A tie or a slower finish writes nothing; a faster one rewrites the file.
TEST_F(SaveFilesTest, OnlyABetterTimeIsKept)
{
    MakeCourses(2);
    courseList.courses[0].bestTimeMs = 5000;
    WriteBytes("record.sav", "marker");
    FinishRace(0, 5000);
    FinishRace(0, 6000);
    EXPECT_EQ(ReadBytes("record.sav"), "marker");
    EXPECT_EQ(courseList.courses[0].bestTimeMs, 5000u);
    FinishRace(0, 4984);
    EXPECT_EQ(ReadBytes("record.sav"), LittleEndianWords({4984, 0}));
}

// A record.sav of 3 courses read after the list grew to 5: courses 3 and 4 have none; the next save writes 5.
TEST_F(SaveFilesTest, RecordFromAShorterList)
{
    WriteBytes("record.sav", LittleEndianWords({100, 200, 300}));
    MakeCourses(5);
    ASSERT_EQ(LoadBestTimes(), 1);
    EXPECT_EQ(courseList.courses[2].bestTimeMs, 300u);
    EXPECT_EQ(courseList.courses[3].bestTimeMs, 0u);
    EXPECT_EQ(courseList.courses[4].bestTimeMs, 0u);
    FinishRace(4, 999);
    EXPECT_EQ(ReadBytes("record.sav"), LittleEndianWords({100, 200, 300, 0, 999}));
    MakeCourses(2);
    ASSERT_EQ(LoadBestTimes(), 1);   // entries beyond the list are not read
    EXPECT_EQ(courseList.courses[1].bestTimeMs, 200u);
}

// SaveOptions writes the four choices in order; LoadSettings reads them back.
TEST_F(SaveFilesTest, OptionsRoundTrip)
{
    game.settings.ballTypeSel = 1;
    game.settings.gravitySel = 2;
    game.settings.cameraPitchSel = 0;
    game.settings.cameraLengthSel = 2;
    ASSERT_EQ(SaveOptions(), 1);
    EXPECT_EQ(ReadBytes("config.sav"), LittleEndianWords({1, 2, 0, 2}));
    game = {};
    WriteBytes("def.ini", "");
    LoadSettings();
    EXPECT_EQ(game.settings.ballTypeSel, 1);
    EXPECT_EQ(game.settings.gravitySel, 2);
    EXPECT_EQ(game.settings.cameraLengthSel, 2);
    for (ShapeMesh& shape : shapeMeshes) ReleaseShapeMesh(&shape);
}

// A save that cannot replace the file shows no box and goes on: old file untouched, memory keeps
// the new time, and standard error gets one line per file per run with the path and the reason.
// (A folder where the save should be stops the write even for root, unlike a read-only folder.)
TEST_F(SaveFilesTest, FailedSaveKeepsOldFileAndMemoryAndSaysSoOnce)
{
    MakeCourses(1);
    ASSERT_EQ(mkdir("record.sav", 0755), 0);   // nothing can be renamed over a folder
    ASSERT_EQ(mkdir("config.sav", 0755), 0);
    testing::internal::CaptureStderr();
    FinishRace(0, 1234);
    EXPECT_EQ(courseList.courses[0].bestTimeMs, 1234u);
    EXPECT_EQ(SaveBestTimes(), 0);
    EXPECT_EQ(SaveOptions(), 0);
    EXPECT_EQ(SaveOptions(), 0);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "Kestrune: cannot save " + dir + "record.sav: Is a directory (the game goes on, but this is not kept)\n"
                    "Kestrune: cannot save " + dir + "config.sav: Is a directory (the game goes on, but this is not kept)\n");
    EXPECT_FALSE(FileExists("record.sav.tmp"));
    EXPECT_FALSE(FileExists("config.sav.tmp"));
    struct stat info;
    ASSERT_EQ(stat("record.sav", &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_TRUE(shownMessages.empty());
}

// One copy of the game per folder: while the lock beside the saves is held a second is refused
// with a line naming the lock; once released the next copy gets it.
TEST_F(SaveFilesTest, SecondCopyIsRefusedWhileTheLockIsHeld)
{
    std::string lock = dir + kInstanceLockName;
    int other = SysLockFile(lock.c_str());
    ASSERT_GE(other, 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(TakeInstanceLock(), 0);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("already running"), std::string::npos) << said;
    EXPECT_NE(said.find(lock), std::string::npos) << said;
    SysUnlockFile(other);
    EXPECT_EQ(TakeInstanceLock(), 1);
    EXPECT_EQ(SysLockFile(lock.c_str()), -1);
    ReleaseInstanceLock();
    other = SysLockFile(lock.c_str());
    EXPECT_GE(other, 0);
    SysUnlockFile(other);
}

// An unwritable save folder: both saves fail, each says so, nothing lands in another folder
// and old files stay as they were. (A file in place of the folder stops even root; a read-only
// folder stops other users.)
TEST_F(SaveFilesTest, UnwritableFolder)
{
    MakeCourses(1);
    WriteBytes("blocker", "x");
    SysUseOneFolder((dir + "blocker/").c_str());
    testing::internal::CaptureStderr();
    EXPECT_EQ(SaveOptions(), 0);
    EXPECT_EQ(SaveBestTimes(), 0);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(dir + "blocker/config.sav: Not a directory"), std::string::npos) << said;
    EXPECT_NE(said.find(dir + "blocker/record.sav: Not a directory"), std::string::npos) << said;
    EXPECT_FALSE(FileExists("config.sav"));   // not in the current folder instead
    EXPECT_FALSE(FileExists("record.sav"));
    SysUseOneFolder(dir.c_str());

    WriteBytes("config.sav", "old");
    ASSERT_EQ(chmod(dir.c_str(), 0555), 0);
    if (access(dir.c_str(), W_OK) == 0) return;   // root: permissions do not stop writes
    EXPECT_EQ(SaveOptions(), 0);
    EXPECT_EQ(SaveBestTimes(), 0);
    EXPECT_EQ(ReadBytes("config.sav"), "old");
}

// Replacing a file leaves exactly the new bytes and no temporary file; an empty table writes an empty file.
TEST_F(SaveFilesTest, ReplaceIsWhole)
{
    WriteBytes("record.sav", std::string(64, 'x'));
    MakeCourses(1);
    courseList.courses[0].bestTimeMs = 7;
    ASSERT_EQ(SaveBestTimes(), 1);
    EXPECT_EQ(ReadBytes("record.sav"), LittleEndianWords({7}));
    FreeCourseList();
    ASSERT_EQ(SaveBestTimes(), 1);
    EXPECT_EQ(ReadBytes("record.sav"), "");
    EXPECT_EQ(SysReplaceFile("sub\\x.sav", "a", 1), 0);   // no such folder
    EXPECT_FALSE(FileExists("record.sav.tmp"));
}

// A goal on a course outside the table keeps nothing and does not crash.
TEST_F(SaveFilesTest, GoalOutsideTheTable)
{
    MakeCourses(1);
    FinishRace(3, 10);
    FinishRace(-1, 10);
    EXPECT_FALSE(FileExists("record.sav"));
}

// Random save-file bytes: choices stay 0..2 and best times load without overrun.
TEST_F(SaveFilesTest, RandomBytesAreSafe)
{
    WriteBytes("def.ini", "");
    for (unsigned seed = 0; seed < 50; seed++) {
        std::string bytes = RandomSettingText(seed, {"x"}).substr(0, seed % 40);
        WriteBytes("config.sav", bytes);
        WriteBytes("record.sav", bytes);
        LoadSettings();
        for (int32_t choice : {game.settings.ballTypeSel, game.settings.gravitySel,
                               game.settings.cameraPitchSel, game.settings.cameraLengthSel}) {
            EXPECT_GE(choice, 0);
            EXPECT_LE(choice, 2);
        }
        MakeCourses(int(seed % 4));
        EXPECT_EQ(LoadBestTimes(), 1);
    }
    for (ShapeMesh& shape : shapeMeshes) ReleaseShapeMesh(&shape);
}

// SIGKILL at random moments while config.sav, record.sav, extras.sav and a
// ghost are being written: every file is whole, the old one or the new one,
// and the game then starts without a word and with what the files hold.
// CI's share is 300 kills (a quarter of a minute, most of it waiting for the
// disk); bench_save_soak kills 1000 times.
TEST(SaveSoak, KilledWritersLeaveWholeFiles)
{
    MakeSoakGame("soak-test");
    SoakReport report = RunSaveSoak(300, 31);
    EXPECT_EQ(report.problem, "");
    EXPECT_EQ(report.kills, 300);
    EXPECT_GT(report.rounds, report.kills / 2) << "the writers were killed before they wrote";
    EXPECT_EQ(CheckSoakedStartUp(), "");
    FreeCourseList();
    SysUseOneFolder(nullptr);
}

// Course packs: found in the game folder's courses/ and the player's pack
// folder, listed after the game's own courses in order; records and ghosts
// kept per pack, so a new pack moves no record; a broken pack skipped with
// its message, said once; the list read again around a course being edited.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/game.h"
#include "data/course_list.h"
#include "data/course_packs.h"
#include "data/ghost_file.h"
#include "data/save_files.h"
#include "data/texts.h"
#include "platform/paths.h"
#include "support/data_files.h"
#include "support/pack_files.h"

namespace {

class Packs : public DataFilesTest {
protected:
    void SetUp() override
    {
        DataFilesTest::SetUp();
        gameDir = dir + "game/";
        saveDir = dir + "save/";
        WriteFlatGame(gameDir, 2);
        std::filesystem::create_directories(saveDir);
        SysUseFolders(gameDir.c_str(), saveDir.c_str());
    }
    void TearDown() override
    {
        FreeCourseList();
        SetCommandLinePack(nullptr);
        DataFilesTest::TearDown();
    }
    // The list as the game loads it, from the game folder; what it said on
    // standard error.
    std::string Load()
    {
        SysMakeGameFolderCurrent();
        testing::internal::CaptureStderr();
        EXPECT_EQ(1, LoadCourseList());
        return testing::internal::GetCapturedStderr();
    }
    const CoursePack& Pack(const std::string& key)
    {
        for (const CoursePack& pack : CoursePacks().packs)
            if (pack.key == key) return pack;
        ADD_FAILURE() << "no pack " << key;
        static CoursePack none;
        return none;
    }
    std::vector<std::string> Keys()
    {
        std::vector<std::string> keys;
        for (const CoursePack& pack : CoursePacks().packs) keys.push_back(pack.key);
        return keys;
    }
    std::string gameDir, saveDir;
};

std::u16string Name(int course)
{
    return courseList.courses[course].FIELD_NAME;
}

// The game's own courses first; then the game folder's packs, then the
// player's, each by folder name, every course in its course.ini's order.
// Hidden folders, folders without course.ini and plain files are no packs.
TEST_F(Packs, FoundAndListedInOrder)
{
    WriteFlatPack(gameDir + "courses/zeta", 1);
    WriteFlatPack(saveDir + "courses/beta", 2, "# PACK_NAME:[[Mountain roads]]\r\n");
    WriteFlatPack(saveDir + "courses/alpha", 1);
    WriteFlatPack(saveDir + "courses/.hidden", 1);
    std::filesystem::create_directories(saveDir + "courses/empty/field");
    WriteBytes(saveDir + "courses/stray.ini", FlatCourseIni(1));
    EXPECT_EQ("", Load());

    ASSERT_EQ((std::vector<std::string>{"zeta", "alpha", "beta"}), Keys());
    ASSERT_EQ(2 + 1 + 1 + 2, courseList.courseCount);
    EXPECT_EQ(2, OwnCourseCount());
    EXPECT_EQ(2, Pack("zeta").firstCourse);
    EXPECT_EQ(3, Pack("alpha").firstCourse);
    EXPECT_EQ(4, Pack("beta").firstCourse);
    EXPECT_EQ(2, Pack("beta").courseCount);
    EXPECT_EQ("Mountain roads", Pack("beta").name);
    EXPECT_EQ("alpha", Pack("alpha").name);
    EXPECT_EQ(SysCanonicalFolder((saveDir + "courses/beta").c_str()), Pack("beta").folder);
    EXPECT_EQ(u"flat 1", Name(5));
    EXPECT_EQ(nullptr, PackOfCourse(1));
    EXPECT_EQ(&Pack("beta"), PackOfCourse(5));
    EXPECT_EQ(1, CourseNumberInPack(5));
    EXPECT_EQ(1, CourseNumberInPack(1));
    // A pack's files are its own folder's.
    ASSERT_EQ(1, MakeCourseFolderCurrent(5));
    EXPECT_TRUE(FileExists("doc.txt"));
    EXPECT_EQ(std::filesystem::current_path().string() + "/", Pack("beta").folder);
    EXPECT_TRUE(shownMessages.empty());
}

// A best time in a pack goes to that pack's record.sav; adding a pack that
// sorts before it moves the course in the list, never its record or ghost,
// and the game's own record.sav keeps its two entries.
TEST_F(Packs, RecordsAndGhostsStayWithTheirPack)
{
    WriteFlatPack(saveDir + "courses/beta", 2);
    Load();
    WriteBytes(saveDir + "record.sav", LittleEndianWords({1111, 2222}));
    int course = Pack("beta").firstCourse + 1;
    game.currentCourse = course;
    loop.raceTimeMs = 4321;
    ASSERT_EQ(1, KeepBestTime());
    EXPECT_EQ(LittleEndianWords({0, 4321}), ReadBytes(saveDir + "packs/beta/record.sav"));
    EXPECT_EQ(LittleEndianWords({1111, 2222}), ReadBytes(saveDir + "record.sav"));

    std::vector<GhostPose> frames(GHOST_MAX_FRAMES, GhostPose{{0, 3, 0}, {0, 0, 0, 1}});
    GhostRun run = {};
    run.course = course;
    run.courseHash = CourseHash(course);
    run.timeMs = 4321;
    run.frameCount = 3;
    run.frames = frames.data();
    ASSERT_EQ(1, SaveGhostFile(run));
    EXPECT_TRUE(FileExists(saveDir + "packs/beta/ghost/course1.gho"));
    EXPECT_FALSE(FileExists(saveDir + "ghost/course" + std::to_string(course) + ".gho"));

    WriteFlatPack(saveDir + "courses/aaa", 3);
    Load();
    int moved = Pack("beta").firstCourse + 1;
    ASSERT_EQ(course + 3, moved);
    EXPECT_EQ(4321u, courseList.courses[moved].bestTimeMs);
    EXPECT_EQ(0u, courseList.courses[course].bestTimeMs);   // now aaa's course 1
    EXPECT_EQ(1111u, courseList.courses[0].bestTimeMs);
    GhostRun read = {};
    read.frames = frames.data();
    EXPECT_EQ(1, LoadGhostFile(moved, CourseHash(moved), &read));
    EXPECT_EQ(moved, read.course);
    EXPECT_EQ(0, LoadGhostFile(course, CourseHash(course), &read));

    // The game's own course keeps its old file name and stored number.
    char name[256];
    GhostFileName(1, name, sizeof name);
    EXPECT_STREQ("ghost/course1.gho", name);
    GhostFileName(moved, name, sizeof name);
    EXPECT_STREQ("packs/beta/ghost/course1.gho", name);
}

// Each kind of broken pack is skipped with its reason, said once on
// standard error however often the list is read, without a message box;
// the packs around it play on.
TEST_F(Packs, BrokenPacksAreSkippedWithTheirMessage)
{
    WriteFlatPack(saveDir + "courses/a-good", 1);
    WriteFlatPack(saveDir + "courses/b-shape", 1, "OBJECT:[CONE][1,1,1][0.5,0.5,0.5][0,0,0][0][0]\r\n");
    WriteFlatPack(saveDir + "courses/c-texture", 1);
    WriteBytes(saveDir + "courses/c-texture/course.ini",
               ReplaceAll(FlatCourseIni(1), "FIELD_TEXTURE:[[field\\map.bmp]]", "FIELD_TEXTURE:[[field\\grass.png]]"));
    WriteFlatPack(saveDir + "courses/d-empty", 2);
    WriteBytes(saveDir + "courses/d-empty/course.ini", "FIELD_TOTAL:[2]\r\n" + FlatCourseIni(1).substr(17));
    WriteFlatPack(saveDir + "courses/e-none", 1);
    WriteBytes(saveDir + "courses/e-none/course.ini", "FIELD_NUM:[0]\r\n");
    WriteFlatPack(saveDir + "courses/f-number", 1, "FIELD_NUM:[4]\r\n");
    WriteFlatPack(gameDir + "courses/twin", 1);
    WriteFlatPack(saveDir + "courses/twin", 1);
    WriteFlatPack(saveDir + "courses/z-good", 1);

    std::string said = Load();
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"b-shape", "Course pack 'b-shape' skipped: course.ini line 7: the shape is not BOX, SPHERE or PILLAR"},
        {"c-texture", "Course pack 'c-texture' skipped: course 0: the file 'field\\grass.png' is not there"},
        {"d-empty", "Course pack 'd-empty' skipped: course 1 has no HEIGHT_MAP"},
        {"e-none", "Course pack 'e-none' skipped: its course.ini has no FIELD_TOTAL:[n] of 1 or more"},
        {"f-number", "Course pack 'f-number' skipped: course.ini line 7: FIELD_NUM is outside 0 to FIELD_TOTAL - 1"},
    };
    for (const auto& e : expected) {
        const CoursePack& pack = Pack(e.first);
        EXPECT_EQ(0, pack.courseCount) << e.first;
        EXPECT_EQ(-1, pack.firstCourse) << e.first;
        EXPECT_EQ(e.second, PackProblemText(pack, LANGUAGE_ENGLISH));
        EXPECT_NE(std::string::npos, said.find("Kestrune: " + e.second + " (" + pack.folder + ")\n")) << said;
    }
    // Of two packs in folders of one name, the game folder's is listed.
    const std::vector<CoursePack>& packs = CoursePacks().packs;
    ASSERT_EQ(9u, packs.size());
    EXPECT_EQ("twin", packs[0].key);
    EXPECT_EQ(1, packs[0].courseCount);
    EXPECT_EQ("twin", packs[7].key);
    EXPECT_EQ(PACK_SAME_NAME, packs[7].problem.kind);
    EXPECT_EQ(packs[0].folder, packs[7].problem.detail);
    EXPECT_EQ(2 + 1 + 1 + 1, courseList.courseCount);   // own, twin, a-good, z-good
    EXPECT_EQ(Pack("z-good").firstCourse, 4);
    EXPECT_EQ(std::string("コースパック「b-shape」は読み込めません: course.ini 7 行目: 形状が BOX、SPHERE、PILLAR のどれでもありません"),
              PackProblemText(Pack("b-shape"), LANGUAGE_JAPANESE));
    EXPECT_TRUE(shownMessages.empty()) << shownMessages.front();

    EXPECT_EQ("", Load());
}

// --course DIR lists a pack from anywhere, last, and a listed pack of the
// same folder name gives way to it; any spelling of the folder finds it.
TEST_F(Packs, CommandLinePackComesFromAnywhere)
{
    WriteFlatPack(saveDir + "courses/mine", 1);
    WriteFlatPack(dir + "work/mine", 2);
    SetCommandLinePack((dir + "work/mine").c_str());
    Load();
    ASSERT_EQ((std::vector<std::string>{"mine", "mine"}), Keys());
    EXPECT_EQ(PACK_SAME_NAME, CoursePacks().packs[0].problem.kind);
    const CoursePack* pack = FindPack((dir + "work/../work/./mine/").c_str());
    ASSERT_NE(nullptr, pack);
    EXPECT_EQ(&CoursePacks().packs[1], pack);
    EXPECT_EQ(2, pack->firstCourse);
    EXPECT_EQ(2, pack->courseCount);
    EXPECT_EQ(nullptr, FindPack((dir + "work").c_str()));
}

// Read again for an edited course: the course is found by its pack and
// number after a pack was added before it; when its pack breaks, the list
// before stays whole.
TEST_F(Packs, ReadAgainAroundTheEditedCourse)
{
    WriteFlatPack(saveDir + "courses/mine", 2);
    Load();
    int course = Pack("mine").firstCourse + 1;
    WriteFlatPack(saveDir + "courses/early", 2);
    WriteBytes(saveDir + "courses/mine/course.ini", ReplaceAll(FlatCourseIni(2), "flat 1", "renamed"));
    testing::internal::CaptureStderr();
    int found = ReloadCourseList(course);
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(course + 2, found);
    EXPECT_EQ(u"renamed", Name(found));

    WriteBytes(saveDir + "courses/mine/course.ini", FlatCourseIni(1));
    testing::internal::CaptureStderr();
    EXPECT_EQ(-1, ReloadCourseList(found));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(u"renamed", Name(found));
    EXPECT_EQ(2, Pack("mine").courseCount);
}

}  // namespace

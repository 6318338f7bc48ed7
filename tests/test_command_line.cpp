// The command line: every option, the mistakes and their exit codes, and
// --course played through the loop into the race and back to course select.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/loop.h"
#include "app/version.h"
#include "core/game.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/sys.h"
#include "screens/course_select.h"
#include "data/course_list.h"
#include "render/scene.h"
#include "physics/physics.h"
#include "data/course_packs.h"
#include "support/data_files.h"
#include "support/pack_files.h"
#include "support/physics_support.h"
#include "support/scripted_input.h"

namespace {

void KeepMessage(const char* text) { shownMessages.push_back(text); }

int Parse(std::vector<std::string> args, CommandLine* out, std::string* error)
{
    args.insert(args.begin(), "kestrune");
    std::vector<const char*> argv;
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    return ParseCommandLine(int(argv.size()), argv.data(), out, error);
}

// Nothing given: a window, the title screen, the game's own folder.
// Every option in both spellings of a value; the later of two window modes wins.
TEST(CommandLine, ParsesEveryOption)
{
    CommandLine options;
    std::string error;
    ASSERT_EQ(1, Parse({}, &options, &error));
    EXPECT_EQ(options.fullscreen, -1);
    EXPECT_EQ(options.course.number, -1);
    EXPECT_EQ(options.data, "");
    EXPECT_EQ(options.help + options.version, 0);

    ASSERT_EQ(1, Parse({"--fullscreen", "--course", "3", "--data", "/tmp"}, &options, &error)) << error;
    EXPECT_EQ(options.fullscreen, 1);
    EXPECT_EQ(options.course.number, 3);
    EXPECT_EQ(options.data, "/tmp");

    ASSERT_EQ(1, Parse({"--course=12", "--fullscreen", "--windowed", "--data=/"}, &options, &error)) << error;
    EXPECT_EQ(options.fullscreen, 0);
    EXPECT_EQ(options.course.number, 12);
    EXPECT_EQ(options.data, "/");

    ASSERT_EQ(1, Parse({"-h"}, &options, &error));
    EXPECT_EQ(options.help, 1);
    ASSERT_EQ(1, Parse({"--version"}, &options, &error));
    EXPECT_EQ(options.version, 1);
}

// Each mistake is refused with a message that names it.
TEST(CommandLine, RefusesMistakes)
{
    struct Case {
        std::vector<std::string> args;
        const char* said;
    };
    const Case cases[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"stray"}, "unknown option 'stray'"},
        {{"--fullscreen", "-x"}, "unknown option '-x'"},
        {{"--course"}, "--course needs a value (N|DIR[:N])"},
        {{"--course", "-1"}, "'-1' is not a course number"},
        {{"--course", "2x"}, "'2x' is not a course number"},
        {{"--course="}, "'' is not a course number"},
        {{"--course", "99999999999"}, "'99999999999' is not a course number"},
        {{"--data", "/no/such/folder"}, "--data: '/no/such/folder' is not a folder"},
        {{"--data", "/etc/passwd"}, "is not a folder"},
        {{"--help=yes"}, "--help takes no value"},
    };
    for (const Case& c : cases) {
        CommandLine options;
        std::string error;
        EXPECT_EQ(0, Parse(c.args, &options, &error)) << c.args[0];
        EXPECT_NE(error.find(c.said), std::string::npos) << error;
    }
}

// --course DIR[:N]: digits are the game folder's course; a folder holding a
// course.ini is a pack (any letter case of course.ini), its course N after
// a colon; a folder whose own name ends in ":N" is taken whole.
class CourseChoiceTest : public DataFilesTest {};

TEST_F(CourseChoiceTest, NamesAPackFolder)
{
    WriteFlatPack(dir + "pack", 3);
    WriteFlatPack(dir + "odd:2", 1);
    WriteFlatPack(dir + "7", 1);
    std::filesystem::rename(dir + "7/course.ini", dir + "7/COURSE.INI");
    std::filesystem::create_directories(dir + "plain");
    struct Case {
        std::string value;
        int number;
        std::string pack;
    };
    const Case good[] = {
        {"12", 12, ""},
        {dir + "pack", 0, dir + "pack"},
        {dir + "pack/", 0, dir + "pack/"},
        {dir + "pack:2", 2, dir + "pack"},
        {"pack:1", 1, "pack"},
        {dir + "odd:2", 0, dir + "odd:2"},
        {"7", 7, ""},
        {"./7:0", 0, "./7"},
    };
    for (const Case& c : good) {
        CourseChoice choice = {-1, "stale"};
        std::string error;
        ASSERT_EQ(1, ParseCourseChoice(c.value.c_str(), &choice, &error)) << c.value << ": " << error;
        EXPECT_EQ(c.number, choice.number) << c.value;
        EXPECT_EQ(c.pack, choice.pack) << c.value;
    }
    for (std::string bad : {dir + "plain", dir + "plain:1", dir + "nothere", dir + "pack:x", dir + "pack:-1"}) {
        CourseChoice choice = {-1, ""};
        std::string error;
        EXPECT_EQ(0, ParseCourseChoice(bad.c_str(), &choice, &error)) << bad;
        EXPECT_EQ("--course: '" + bad + "' is not a course number, nor a folder holding a course.ini", error);
    }
}

struct Handled {
    int start;
    int code;
    std::string out, err;
};

Handled Handle(std::vector<std::string> args)
{
    args.insert(args.begin(), "kestrune");
    std::vector<const char*> argv;
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    CommandLine options;
    Handled h{};
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    h.start = HandleCommandLine(int(argv.size()), argv.data(), &options, &h.code);
    h.out = testing::internal::GetCapturedStdout();
    h.err = testing::internal::GetCapturedStderr();
    return h;
}

// --help and --version answer on standard output and end with 0; a mistake
// ends with 2, the message and the usage on standard error only.
TEST(CommandLine, WhatEndsBeforeTheGameStarts)
{
    Handled help = Handle({"--help"});
    EXPECT_EQ(help.start, 0);
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out.rfind("Usage: kestrune", 0), 0u) << help.out;
    for (const char* option : {"--fullscreen", "--windowed", "--course N", "--data DIR", "--version"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    EXPECT_EQ(help.err, "");

    Handled version = Handle({"--version"});
    EXPECT_EQ(version.start, 0);
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, std::string("Kestrune ") + kGameVersion + "\n");
    EXPECT_EQ(std::string(kGameVersion).rfind(KESTRUNE_VERSION, 0), 0u) << kGameVersion;

    Handled wrong = Handle({"--course", "x"});
    EXPECT_EQ(wrong.start, 0);
    EXPECT_EQ(wrong.code, 2);
    EXPECT_EQ(wrong.out, "");
    EXPECT_EQ(wrong.err.rfind("kestrune: --course: 'x' is not a course number, nor a folder holding a course.ini\n"
                              "Usage: kestrune", 0), 0u) << wrong.err;

    Handled play = Handle({"--windowed"});
    EXPECT_EQ(play.start, 1);
    EXPECT_EQ(play.out + play.err, "");
}

// --course after start-up, on a game of three flat courses driven by keys.
class CourseOption : public DataFilesTest {
protected:
    void SetUp() override
    {
        DataFilesTest::SetUp();
        std::string bmp = WriteGreyBmp("command_line_flat16.bmp", 16, 16, std::vector<int>(256, 0));
        ASSERT_EQ(1, SysMakeFolder((dir + "field").c_str()));
        WriteBytes("field/map.bmp", ReadBytes(bmp));
        WriteBytes("sprite.ini", "PLANE_NUM:[0]\r\n");
        WriteBytes("def.ini", "GRAVITY:[1][1][1]\r\nBALL_SIZE:[3]\r\n");
        std::string courses = "FIELD_TOTAL:[3]\r\n";
        for (int i = 0; i < 3; i++)
            courses += "FIELD_NUM:[" + std::to_string(i) + "]\r\nFIELD_NAME:[[flat]]\r\n"
                       "HEIGHT_MAP:[[field\\map.bmp]] FIELD_TEXTURE:[[field\\map.bmp]]\r\n"
                       "MAP_HEIGHT:[3] GRID_SIZE:[4] DOCUMENT:[[flat.txt]]\r\n"
                       "START:[0.5,1,0.5] GOAL:[0.1][0.2][0.1][0.2]\r\n";
        WriteBytes("flat.txt", "A flat field.\r\n");
        WriteBytes("course.ini", courses);
        ASSERT_EQ(1, StartScriptedGame(dir, KeepMessage));
    }
    void TearDown() override
    {
        StopScriptedGame();
        DataFilesTest::TearDown();
    }
    void Tap(SysKey key)
    {
        scriptedKeys[key] = true;
        ScriptedFrames(2);
        scriptedKeys[key] = false;
        ScriptedFrames(2);
    }
    bool FramesUntil(int state, int limit)
    {
        for (int i = 0; i < limit && game.state != state; i++) ScriptedFrames(1);
        return game.state == state;
    }
};

// Straight into course 2's intro with course 2 loaded, from the title's
// place; the pause menu's "course select" then shows course 2.
TEST_F(CourseOption, StartsAtTheCourseAndLeadsBackToCourseSelect)
{
    CommandLine options;
    std::string error;
    ASSERT_EQ(1, Parse({"--course", "2", "--fullscreen"}, &options, &error));
    ASSERT_EQ(1, ApplyCommandLine(options));
    EXPECT_EQ(1, SysIsFullscreen());
    int loads = CourseLoadCount();
    ScriptedFrames(1);
    EXPECT_EQ(STATE_INTRO, game.state);
    EXPECT_EQ(2, game.currentCourse);
    ScriptedFrames(1);
    EXPECT_EQ(loads + 1, CourseLoadCount()) << "the first course was built over the one asked for";

    ASSERT_TRUE(FramesUntil(STATE_RACE, 180 + 4 * 60 + 2));
    Tap(KEY_SPACE);
    ASSERT_EQ(STATE_PAUSE, game.state);
    ScriptedFrames(15);
    Tap(KEY_DOWN);
    ScriptedFrames(2);
    Tap(KEY_DOWN);                         // resume, retry, course select
    Tap(KEY_SPACE);
    ASSERT_TRUE(FramesUntil(STATE_COURSE_SELECT, 60));
    EXPECT_EQ(2, GetCourseSelect().selectedCourse);
    EXPECT_TRUE(shownMessages.empty()) << shownMessages.front();
}

// Start-up leaves the world and the first course to the pictures after the
// title's first (the window shows sooner): neither is made before it, the
// world right after it, course 0 after the next, and only once.
TEST_F(CourseOption, FirstCourseIsLoadedAfterTheFirstPicture)
{
    uint32_t pictures = PicturesDrawn();
    int loads = CourseLoadCount();
    scriptedClockMs += 16;
    SampleInput();
    RunLogicStep();
    EXPECT_EQ(loads, CourseLoadCount()) << "built before the first picture";
    EXPECT_EQ(0, PhysicsWorldReady());
    DrawStepPicture();
    EXPECT_EQ(pictures + 1, PicturesDrawn());
    EXPECT_EQ(1, PhysicsWorldReady());
    EXPECT_EQ(loads, CourseLoadCount()) << "the world and the course in one picture's time";
    ScriptedFrames(1);
    EXPECT_EQ(loads + 1, CourseLoadCount());
    EXPECT_EQ(STATE_TITLE, game.state);
    EXPECT_EQ(0, game.currentCourse);
    EXPECT_EQ(17 * 17, CurrentTerrainGrid().vertexCount);
    ScriptedFrames(2);
    EXPECT_EQ(loads + 1, CourseLoadCount());
}

// --course DIR:N with the pack listed before start-up: straight into the
// pack's course N, which follows the game's three; a course the pack lacks,
// or a pack the game skips, is refused with why.
TEST_F(CourseOption, StartsAtAPackCourse)
{
    WriteFlatPack(dir + "elsewhere/mine", 2);
    WriteFlatPack(dir + "elsewhere/broken", 1, "OBJECT:[CONE][1,1,1][0.5,0.5,0.5][0,0,0][0][0]\r\n");
    CommandLine options;
    std::string error;
    // Named relative to the folder the game starts in, which it then leaves.
    ASSERT_EQ(1, SysMakeFolderCurrent((dir + "elsewhere").c_str()));
    ASSERT_EQ(1, Parse({"--course", "mine:1"}, &options, &error)) << error;
    ListCommandLinePack(options);
    SysMakeGameFolderCurrent();
    testing::internal::CaptureStderr();
    ASSERT_EQ(1, LoadCourseList());
    ASSERT_EQ(1, ApplyCommandLine(options));
    ScriptedFrames(1);
    EXPECT_EQ(STATE_INTRO, game.state);
    EXPECT_EQ(4, game.currentCourse);
    EXPECT_EQ(u"flat 1", std::u16string(courseList.courses[4].FIELD_NAME));

    ASSERT_EQ(1, Parse({"--course", dir + "elsewhere/mine:2"}, &options, &error));
    ListCommandLinePack(options);
    EXPECT_EQ(0, ApplyCommandLine(options));
    ASSERT_EQ(1, Parse({"--course", dir + "elsewhere/broken"}, &options, &error));
    ListCommandLinePack(options);
    ASSERT_EQ(1, LoadCourseList());
    EXPECT_EQ(0, ApplyCommandLine(options));
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, said.find("kestrune: --course " + dir + "elsewhere/mine:2: the pack has no such course "
                                            "(its courses are numbered 0 to 1)\n")) << said;
    EXPECT_NE(std::string::npos, said.find("kestrune: --course " + dir + "elsewhere/broken: Course pack 'broken' "
                                            "skipped: course.ini line 7: the shape is not BOX, SPHERE or PILLAR\n")) << said;
    ListCommandLinePack(CommandLine{});
}

// A course the game folder does not have is refused with its range; the
// game stays on the title.
TEST_F(CourseOption, RefusesACourseTheFolderLacks)
{
    CommandLine options;
    std::string error;
    ASSERT_EQ(1, Parse({"--course", "3"}, &options, &error));
    testing::internal::CaptureStderr();
    EXPECT_EQ(0, ApplyCommandLine(options));
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "kestrune: --course 3: the game folder has no such course (its courses are numbered 0 to 2)\n");
    EXPECT_EQ(STATE_TITLE, game.state);
}

}  // namespace

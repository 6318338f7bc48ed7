// The edit loop on the null platform with a scripted clock: saving a pack
// course's height map, description or course.ini while it is raced or
// shown on course select reads it again within a second; a race restarts at
// the countdown; nothing happens while nothing changes; a course.ini saved
// broken leaves the race alone.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "app/loop.h"
#include "core/game.h"
#include "course/terrain.h"
#include "data/course_list.h"
#include "data/course_packs.h"
#include "physics/physics.h"
#include "render/course_text.h"
#include "screens/course_select.h"
#include "screens/screens.h"
#include "support/data_files.h"
#include "support/pack_files.h"
#include "support/scripted_input.h"

namespace {

void KeepMessage(const char* text) { shownMessages.push_back(text); }

class CourseReload : public DataFilesTest {
protected:
    void SetUp() override
    {
        DataFilesTest::SetUp();
        WriteFlatGame(dir, 1);
        pack = dir + "courses/mine/";
        WriteFlatPack(pack, 1);
        ASSERT_EQ(1, StartScriptedGame(dir, KeepMessage));
        ASSERT_EQ(1, courseList.courseCount - OwnCourseCount());
        course = OwnCourseCount();
    }
    void TearDown() override
    {
        StopScriptedGame();
        DataFilesTest::TearDown();
    }
    // Frames until `state` or `ms` of the clock; the ms it took.
    uint32_t FramesUntil(int state, uint32_t ms)
    {
        uint32_t start = scriptedClockMs;
        while (game.state != state && scriptedClockMs - start < ms) ScriptedFrames(1);
        return scriptedClockMs - start;
    }
    // What an editor does on save: new bytes, a later modification time.
    void Save(const std::string& name, const std::string& bytes)
    {
        namespace fs = std::filesystem;
        fs::file_time_type before = fs::last_write_time(pack + name);
        WriteBytes(pack + name, bytes);
        fs::last_write_time(pack + name, before + std::chrono::seconds(1));
    }
    void Race()
    {
        StartAtCourse(course);
        FramesUntil(STATE_RACE, 10000);
        ASSERT_EQ(STATE_RACE, game.state);
    }
    std::string pack;
    int course = -1;
};

float HighestGround()
{
    const TerrainGrid& grid = CurrentTerrainGrid();
    float top = -1e9f;
    for (int i = 0; i < grid.vertexCount; i++) top = std::max(top, grid.positions[i].y);
    return top;
}

// Two seconds of racing on unchanged files; then the height map is saved
// with a hill: within a second the race is back at its first countdown
// step on the new ground, and then counts down undisturbed into the race.
TEST_F(CourseReload, SavedHeightMapRestartsTheRaceAtTheCountdown)
{
    Race();
    ScriptedFrames(125);
    EXPECT_EQ(STATE_RACE, game.state);
    EXPECT_EQ(125u * 16, loop.raceTimeMs);
    EXPECT_EQ(0.0f, HighestGround());

    Save("field/map.bmp", FlatMapBytes(0, 200));
    ScriptedFrames(1);
    EXPECT_LE(FramesUntil(STATE_COUNTDOWN, 1000), 1000u);
    ASSERT_EQ(STATE_COUNTDOWN, game.state);
    EXPECT_EQ(0, loop.countdownStep);
    EXPECT_EQ(course, game.currentCourse);
    EXPECT_GT(HighestGround(), 5.0f);
    EXPECT_LE(loop.raceTimeMs, 16u);

    // The frame that restarted the race was the first of the countdown.
    EXPECT_EQ(239u * 16, FramesUntil(STATE_RACE, 5000));
    EXPECT_TRUE(shownMessages.empty()) << shownMessages.front();
}

// Course select watches the course it shows: a saved description is typed
// out afresh; left alone, the text just goes on being typed.
TEST_F(CourseReload, CourseSelectShowsTheSavedDescription)
{
    StartAtCourse(course);
    ScriptedFrames(1);
    game.state = STATE_COURSE_SELECT;
    ResetCourseSelect();
    ScriptedFrames(125);
    int typed = GetCourseSelect().revealedGlyphs;
    EXPECT_EQ(courseText.docGlyphCount, typed);
    ScriptedFrames(125);
    EXPECT_EQ(typed, GetCourseSelect().revealedGlyphs);

    Save("doc.txt", "A flat field, now with a much longer description.\r\n");
    uint32_t waited = 0;
    while (courseText.docGlyphCount == typed && waited < 1000) {
        ScriptedFrames(1);
        waited += 16;
    }
    EXPECT_LT(waited, 1000u);
    EXPECT_GT(courseText.docGlyphCount, typed);
    EXPECT_LT(GetCourseSelect().revealedGlyphs, 3);
    EXPECT_EQ(course, GetCourseSelect().selectedCourse);
}

int Obstacles(int index)
{
    int n = 0;
    for (const ObstacleDef* o = courseList.courses[index].firstObstacle; o; o = o->next) n++;
    return n;
}

// course.ini saved with an obstacle more: the race restarts with it. Saved
// broken, the pack is said to be skipped and the race runs on as it was.
TEST_F(CourseReload, SavedCourseIniReadsTheListAgain)
{
    Race();
    Save("course.ini", FlatCourseIni(1, "OBJECT:[BOX][1,1,1][0.3,0.5,0.3][0,0,0][0][0]\r\n"));
    EXPECT_LE(FramesUntil(STATE_COUNTDOWN, 1000), 1000u);
    ASSERT_EQ(STATE_COUNTDOWN, game.state);
    EXPECT_EQ(1, Obstacles(game.currentCourse));

    FramesUntil(STATE_RACE, 5000);
    testing::internal::CaptureStderr();
    Save("course.ini", FlatCourseIni(1, "OBJECT:[CONE][1,1,1][0.3,0.5,0.3][0,0,0][0][0]\r\n"));
    ScriptedFrames(125);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, said.find("Course pack 'mine' skipped: course.ini line 7")) << said;
    EXPECT_EQ(STATE_RACE, game.state);
    EXPECT_EQ(125u * 16, loop.raceTimeMs);
    EXPECT_EQ(1, Obstacles(game.currentCourse));
    EXPECT_TRUE(shownMessages.empty()) << shownMessages.front();
}

}  // namespace

namespace {

// A height map saved half-written or broken: the game's message, and the
// game goes on; saved whole again, the race restarts on it.
TEST_F(CourseReload, BrokenSaveThenGoodSave)
{
    Race();
    Save("field/map.bmp", FlatMapBytes(0, 200).substr(0, 20));
    ScriptedFrames(63);
    ASSERT_EQ(1u, shownMessages.size());
    EXPECT_NE(std::string::npos, shownMessages[0].find("map.bmp")) << shownMessages[0];
    EXPECT_EQ(STATE_COUNTDOWN, game.state);
    ScriptedFrames(600);
    EXPECT_EQ(1u, shownMessages.size());
    Save("field/map.bmp", FlatMapBytes(0, 200));
    ScriptedFrames(63);
    EXPECT_EQ(STATE_COUNTDOWN, game.state);
    EXPECT_GT(HighestGround(), 5.0f);
    FramesUntil(STATE_RACE, 5000);
    EXPECT_EQ(STATE_RACE, game.state);
}
}  // namespace

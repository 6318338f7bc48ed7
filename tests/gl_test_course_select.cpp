// Course select drawn for real, headless: the preview model is absent while
// the heading flies in and while it is slid out of view, present at rest,
// and the screen fades to black over the 60 frames before the race.
#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include "core/game.h"
#include "app/loop.h"
#include "platform/sys.h"
#include "screens/course_select.h"
#include "screens/screens.h"
#include "support/gfx_window.h"
#include "support/physics_support.h"
#include "support/scripted_input.h"

namespace {

void Quiet(const char*) {}

class CourseSelectFrames : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string dir = TempDir() + "/selectgl/";
        ASSERT_EQ(0, system(("mkdir -p " + dir + "field").c_str()));
        std::vector<int> grey;
        for (int k = 0; k < 16 * 16; k++)
            grey.push_back(40 + 10 * (k % 16));
        WriteGreyBmp("preview16.bmp", 16, 16, grey);
        ASSERT_EQ(0, system(("cp " + TempDir() + "/preview16.bmp " + dir + "field/map.bmp").c_str()));
        WriteFileText(dir + "field/doc.txt", "Flat.\r\n");
        WriteFileText(dir + "sprite.ini", "PLANE_NUM:[0]\r\n");
        WriteFileText(dir + "def.ini", "BALL_SIZE:[3]\r\n");
        // 68 units across, scaled 8: about a third of the screen wide.
        WriteFileText(dir + "course.ini",
                  "FIELD_TOTAL:[1]\r\nFIELD_NUM:[0]\r\nFIELD_NAME:[[flat]]\r\n"
                  "HEIGHT_MAP:[[field/map.bmp]] FIELD_TEXTURE:[[field/map.bmp]] DOCUMENT:[[field/doc.txt]]\r\n"
                  "MAP_HEIGHT:[3] GRID_SIZE:[4] SELECT_SCALING:[8]\r\n"
                  "START:[0.5,1,0.5] GOAL:[0.4][0.4][0.6][0.6]\r\n");
        ASSERT_EQ(1, StartScriptedGame(dir, Quiet));
        game.state = STATE_COURSE_SELECT;
        ResetCourseSelect();
    }
    void TearDown() override
    {
        StopScriptedGame();
    }
    ::Frame Step()
    {
        scriptedClockMs += 16;
        SampleInput();
        RunFrame(scriptedClockMs);
        return ReadFrame();
    }
    // Pixels of the preview's area (between the heading and the text panel)
    // unlike the background at the screen's bottom left corner.
    static int ModelPixels(const ::Frame& f)
    {
        uint32_t background = f.Rgb(4, 475);
        int n = 0;
        for (int y = 110; y < 320; y++)
            for (int x = 80; x < 560; x++)
                n += f.Rgb(x, y) != background;
        return n;
    }
};

TEST_F(CourseSelectFrames, PreviewShowsOnlyAtRestAndTheStartFadesToBlack)
{
    ::Frame f = Step();
    EXPECT_EQ(0, ModelPixels(f)) << "drawn while entering";
    for (int k = 1; k < 40; k++)
        Step();
    ASSERT_EQ(SELECT_SLIDE_IN_FROM_RIGHT, GetCourseSelect().phase);
    f = Step();
    EXPECT_EQ(0, ModelPixels(f)) << "visible at slide offset -2";
    for (int k = 0; k < 40 && GetCourseSelect().phase != SELECT_BROWSING; k++)
        f = Step();
    ASSERT_EQ(SELECT_BROWSING, GetCourseSelect().phase);
    EXPECT_GT(ModelPixels(f), 5000) << "no model at rest";
    SaveFrame(f, (TempDir() + "/select_browsing.png").c_str());

    // Yes: open the dialog, release, press again once it is open.
    scriptedKeys[KEY_SPACE] = true;
    Step();
    scriptedKeys[KEY_SPACE] = false;
    for (int k = 0; k < 15; k++)
        Step();
    scriptedKeys[KEY_SPACE] = true;
    for (int k = 0; k < 40 && GetCourseSelect().phase != SELECT_STARTING; k++)
        f = Step();
    ASSERT_EQ(SELECT_STARTING, GetCourseSelect().phase);
    ASSERT_EQ(60, GetCourseSelect().startDelay);
    EXPECT_GT(ModelPixels(f), 5000) << "the veil starts transparent";
    while (game.state == STATE_COURSE_SELECT)
        f = Step();
    // Black but for the on-screen board lamps in the bottom left corner.
    int lit = 0;
    for (int y = 0; y < 480; y++)
        for (int x = 0; x < 640; x++)
            lit += (x >= 80 || y < 400) && f.Rgb(x, y) != 0x000000;
    EXPECT_EQ(0, lit) << "the last frame before the race is black";
}

// A blank line in the description starts a new paragraph two lines down
// instead of running on (or, as once, ending the text).
TEST_F(CourseSelectFrames, ParagraphBreakStartsTwoLinesLower)
{
    auto lowestInk = [this](const char* doc) {
        WriteFileText(TempDir() + "/selectgl/field/doc.txt", doc);
        ResetCourseSelect();
        ::Frame f = Step();
        for (int k = 0; k < 400 && (GetCourseSelect().phase != SELECT_BROWSING
                                    || GetCourseSelect().revealedGlyphs < 20); k++)
            f = Step();
        // Ink: dark in all three channels (the lamps in the corner are grey).
        int lowest = -1;
        for (int y = 300; y < 480; y++)
            for (int x = 40; x < 600; x++) {
                uint32_t c = f.Rgb(x, y);
                if ((c >> 16) < 96 && (c >> 8 & 0xFF) < 96 && (c & 0xFF) < 96)
                    lowest = y;
            }
        return lowest;
    };
    int joined = lowestInk("Flat one.\nFlat two.\n");
    int parted = lowestInk("Flat one.\n\nFlat two.\n");
    ASSERT_GT(joined, 0);
    EXPECT_EQ(parted - joined, 2 * 18);
}

}  // namespace

// Course select through the real loop with scripted keys, and its preview
// model: browsing bounded by the list, the dialog's latches, the 60 frames
// before the race, and a preview terrain equal to the race terrain.
#include <gtest/gtest.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "core/game.h"
#include "app/loop.h"
#include "data/course_list.h"
#include "data/text_reader.h"
#include "data/texts.h"
#include "physics/physics.h"
#include "platform/sys.h"
#include "course/course.h"
#include "render/scene.h"
#include "render/course_text.h"
#include "render/preview.h"
#include "course/course_local.h"
#include "screens/course_select.h"
#include "screens/screens.h"
#include "sensor/board_local.h"
#include "support/physics_support.h"
#include "support/scripted_input.h"

namespace {

std::vector<std::string> messages;

void CatchBox(const char* text) { messages.push_back(text); }

// A 16 x 16 ramp: column c (from the left) has grey 10 * c, row r adds r.
std::vector<int> Ramp()
{
    std::vector<int> grey;
    for (int r = 0; r < 16; r++)
        for (int c = 0; c < 16; c++)
            grey.push_back(10 * c + r);
    return grey;
}

std::string CourseSection(int index, const char* name, const char* map, const char* doc,
                          const char* goal)
{
    return "FIELD_NUM:[" + std::to_string(index) + "]\r\nFIELD_NAME:[[" + name + "]]\r\n"
           "HEIGHT_MAP:[[field\\" + map + "]] FIELD_TEXTURE:[[field\\map.bmp]] DOCUMENT:[[field\\" + doc +
           "]]\r\nMAP_HEIGHT:[3] GRID_SIZE:[4] SELECT_SCALING:[1]\r\n"
           "START:[0.5,1,0.5] GOAL:" + goal + "\r\n";
}

class CourseSelectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = TempDir() + "/select" + std::to_string(run++) + "/";
        ASSERT_EQ(0, system(("mkdir -p " + dir + "field").c_str()));
        WriteGreyBmp("ramp16.bmp", 16, 16, Ramp());
        ASSERT_EQ(0, system(("cp " + TempDir() + "/ramp16.bmp " + dir + "field/map.bmp").c_str()));
        WriteFileText(dir + "field/doc.txt", "A short course with one bend and a gentle slope.\r\n");
        WriteFileText(dir + "sprite.ini", "PLANE_NUM:[0]\r\n");
        WriteFileText(dir + "def.ini", "GRAVITY:[1][1][1]\r\nBALL_SIZE:[3]\r\n");
        // Course 1's goal centre lies on the picture's left edge: its goal
        // cell is column NX, outside the grid. Course 2 has no height map.
        WriteFileText(dir + "course.ini",
                  "FIELD_TOTAL:[3]\r\n" +
                  CourseSection(0, "first", "map.bmp", "doc.txt", "[0.2][0.4][0.3][0.5]") +
                  CourseSection(1, "second", "map.bmp", "none.txt", "[0][0.4][0][0.6]") +
                  CourseSection(2, "third", "none.bmp", "doc.txt", "[0.2][0.4][0.3][0.5]"));
        messages.clear();
        ASSERT_EQ(1, StartScriptedGame(dir, CatchBox));
        game.state = STATE_COURSE_SELECT;
        ResetCourseSelect();
        boardLink.ledPattern = 99;
    }
    void TearDown() override
    {
        StopScriptedGame();
    }
    void Frame()
    {
        scriptedClockMs += 16;
        SampleInput();
        RunFrame(scriptedClockMs);
        phases.push_back(GetCourseSelect().phase);
    }
    void Frames(int n)
    {
        for (int k = 0; k < n; k++)
            Frame();
    }
    // Entering, then the first course slides in.
    void ArriveBrowsing()
    {
        for (int k = 0; k < 200 && GetCourseSelect().phase != SELECT_BROWSING; k++)
            Frame();
        ASSERT_EQ(SELECT_BROWSING, GetCourseSelect().phase);
    }
    void Hold(SysKey key, bool down) { scriptedKeys[key] = down; }
    void WaitForDialog(int panelPhase)
    {
        for (int k = 0; k < 100 && GetCourseSelect().dialogPanel.phase != panelPhase; k++)
            Frame();
        ASSERT_EQ(panelPhase, GetCourseSelect().dialogPanel.phase);
    }
    // The phases in the order they were run, repeats folded.
    std::vector<int> Chain() const
    {
        std::vector<int> chain;
        for (int p : phases)
            if (chain.empty() || chain.back() != p)
                chain.push_back(p);
        return chain;
    }
    std::string PreviewName() const
    {
        std::string name;
        for (const char16_t* c = GetCoursePreview().course.FIELD_NAME; *c; c++)
            name.push_back((char)*c);
        return name;
    }
    std::string dir;
    std::vector<int> phases;
    static int run;
};
int CourseSelectTest::run = 0;

// Entering lasts 40 frames, then the course slides in from the right and its
// description is typed out; at the first course a left tilt neither moves
// nor lights; a held right tilt slides course after course (out of view
// before the course changes) and stops at the last one; a missing
// description is told once, a missing height map empties the model without
// a message.
TEST_F(CourseSelectTest, BrowsingSlidesCourseAfterCourseWithinTheList)
{
    Frames(39);
    EXPECT_EQ(SELECT_ENTERING, GetCourseSelect().phase);
    Frame();
    EXPECT_EQ(SELECT_SLIDE_IN_FROM_RIGHT, GetCourseSelect().phase);
    EXPECT_EQ(-2.0f, GetCourseSelect().slideOffset);
    ArriveBrowsing();
    EXPECT_EQ(0.0f, GetCourseSelect().slideOffset);
    EXPECT_EQ(0, GetCourseSelect().revealedGlyphs);
    EXPECT_EQ(0x9000, boardLink.soundWordA.load());   // CueTick on arrival
    // The description is typed out on every second frame.
    Frames(10);
    EXPECT_EQ(5, GetCourseSelect().revealedGlyphs);
    EXPECT_GT(courseText.docGlyphCount, 5);

    boardLink.ledPattern = 99;
    Hold(KEY_LEFT, true);
    Frames(30);
    EXPECT_EQ(SELECT_BROWSING, GetCourseSelect().phase);
    EXPECT_EQ(0, GetCourseSelect().selectedCourse);
    EXPECT_EQ(99, boardLink.ledPattern.load());
    Hold(KEY_LEFT, false);

    phases.clear();
    messages.clear();
    Hold(KEY_RIGHT, true);
    int shown = 0;
    for (int k = 0; k < 200; k++) {
        Frame();
        if (GetCourseSelect().selectedCourse != shown) {
            shown = GetCourseSelect().selectedCourse;
            // The new course enters from the far side, out of view.
            EXPECT_EQ(-2.0f, GetCourseSelect().slideOffset);
            EXPECT_EQ(12, boardLink.ledPattern.load());
        }
    }
    EXPECT_EQ(2, GetCourseSelect().selectedCourse);
    std::vector<int> expected = {SELECT_SLIDE_OUT_TO_NEXT, SELECT_SLIDE_IN_FROM_RIGHT, SELECT_BROWSING,
                                 SELECT_SLIDE_OUT_TO_NEXT, SELECT_SLIDE_IN_FROM_RIGHT, SELECT_BROWSING};
    EXPECT_EQ(expected, Chain());
    // The third course has no height map: its name is shown, no model, no message.
    EXPECT_EQ("third", PreviewName());
    EXPECT_FALSE(GetCoursePreview().hasModel);
    // The second course's missing description was told once, when it was shown.
    int told = 0;
    for (const std::string& m : messages) {
        EXPECT_EQ(std::string::npos, m.find("none.bmp")) << m;
        told += m.find("none.txt") != std::string::npos;
    }
    EXPECT_EQ(1, told);
    EXPECT_EQ(STATE_COURSE_SELECT, game.state);
}

// The press that opens the dialog shows the whole description and confirms
// nothing; no needs a fresh press and returns to the same course; yes starts
// the race 60 frames later, whatever is pressed meanwhile.
TEST_F(CourseSelectTest, DialogTakesAFreshPressAndYesStartsTheRaceSixtyFramesLater)
{
    ArriveBrowsing();
    Hold(KEY_RIGHT, true);
    for (int k = 0; k < 100 && GetCourseSelect().selectedCourse == 0; k++)
        Frame();
    Hold(KEY_RIGHT, false);
    ArriveBrowsing();
    ASSERT_EQ(1, GetCourseSelect().selectedCourse);

    // A right tilt held with the opening press moves nothing until it returns.
    Hold(KEY_SPACE, true);
    Hold(KEY_RIGHT, true);
    Frame();
    EXPECT_EQ(SELECT_CONFIRMING, GetCourseSelect().phase);
    EXPECT_EQ(courseText.docGlyphCount, GetCourseSelect().revealedGlyphs);
    WaitForDialog(PANEL_OPEN);
    Frames(30);   // still held: the opening press does not answer
    EXPECT_EQ(PANEL_OPEN, GetCourseSelect().dialogPanel.phase);
    Hold(KEY_SPACE, false);
    Frames(3);
    EXPECT_EQ(0, GetCourseSelect().confirmNo);
    EXPECT_EQ(1, GetCourseSelect().selectedCourse);
    Hold(KEY_RIGHT, false);
    Frame();
    Hold(KEY_RIGHT, true);
    Frame();
    EXPECT_EQ(1, GetCourseSelect().confirmNo);
    EXPECT_EQ(12, boardLink.ledPattern.load());
    Hold(KEY_RIGHT, false);
    Hold(KEY_SPACE, true);
    WaitForDialog(PANEL_CLOSED);
    Frame();
    EXPECT_EQ(SELECT_BROWSING, GetCourseSelect().phase);
    EXPECT_EQ(1, GetCourseSelect().selectedCourse);
    EXPECT_EQ(courseText.docGlyphCount, GetCourseSelect().revealedGlyphs);

    // Yes: release, press again (the cursor starts on yes).
    Hold(KEY_SPACE, false);
    Frame();
    Hold(KEY_SPACE, true);
    Frame();
    Hold(KEY_SPACE, false);
    WaitForDialog(PANEL_OPEN);
    Hold(KEY_SPACE, true);
    for (int k = 0; k < 100 && GetCourseSelect().phase != SELECT_STARTING; k++)
        Frame();
    ASSERT_EQ(SELECT_STARTING, GetCourseSelect().phase);
    EXPECT_EQ(60, GetCourseSelect().startDelay);
    Hold(KEY_LEFT, true);
    for (int k = 0; k < 59; k++) {
        Hold(KEY_SPACE, k % 2);
        Frame();
        ASSERT_EQ(STATE_COURSE_SELECT, game.state) << k;
    }
    EXPECT_EQ(1, GetCourseSelect().selectedCourse);
    EXPECT_EQ(1, GetCourseSelect().startDelay);
    Frame();
    EXPECT_EQ(STATE_INTRO, game.state);
    EXPECT_EQ(180, loop.introFrames);
    Frame();
    EXPECT_EQ(1, game.currentCourse);
}

// The course's text as drawn in the description panel.
std::u16string DescriptionText()
{
    std::u16string text;
    for (int k = 0; k < courseText.docGlyphCount; k++)
        text.push_back(courseText.docGlyphs[k].character);
    return text;
}

std::u16string Utf16(const std::string& utf8)
{
    std::vector<char16_t> units(utf8.size() + 1);
    Utf8ToUtf16(utf8.c_str(), units.data(), units.size());
    return units.data();
}

// A refused height map brings up no message box however often the player
// browses past its course; the course's description panel says why, first
// and on a line of its own, in the player's language. The race load still
// says it in its box.
TEST_F(CourseSelectTest, RefusedHeightMapIsSaidInThePanelNotInABox)
{
    WriteFileText(dir + "field/none.bmp", "BM not a picture");
    const int language = CurrentLanguage();
    SetLanguage(LANGUAGE_ENGLISH);
    ArriveBrowsing();
    messages.clear();
    for (int pass = 0; pass < 2; pass++) {
        Hold(KEY_RIGHT, true);
        for (int k = 0; k < 200 && GetCourseSelect().selectedCourse < 2; k++)
            Frame();
        Hold(KEY_RIGHT, false);
        ArriveBrowsing();
        Hold(KEY_LEFT, true);
        for (int k = 0; k < 200 && GetCourseSelect().selectedCourse > 0; k++)
            Frame();
        Hold(KEY_LEFT, false);
        ArriveBrowsing();
    }
    // (Course 1's missing description has boxes of its own.)
    auto heightMapBoxes = [] {
        int n = 0;
        for (const std::string& m : messages)
            n += m.find("none.bmp") != std::string::npos;
        return n;
    };
    EXPECT_EQ(0, heightMapBoxes());

    char note[600];
    snprintf(note, sizeof note, TrIn(TEXT_SELECT_HEIGHT_MAP, LANGUAGE_ENGLISH),
             TrIn(TEXT_BMP_TOO_SHORT, LANGUAGE_ENGLISH), "field/none.bmp");
    LoadCoursePreview(courseList.courses[2]);
    EXPECT_FALSE(GetCoursePreview().hasModel);
    std::u16string expected = Utf16(note) + u"\n";
    EXPECT_EQ(int(expected.size()), courseText.noteGlyphCount);
    EXPECT_EQ(expected, DescriptionText().substr(0, expected.size()));
    EXPECT_NE(std::u16string::npos, DescriptionText().find(u"A short course"));
    SetLanguage(LANGUAGE_JAPANESE);
    LoadCoursePreview(courseList.courses[2]);
    EXPECT_EQ(0u, DescriptionText().find(Utf16(TrIn(TEXT_SELECT_HEIGHT_MAP, LANGUAGE_JAPANESE)).substr(0, 10)));
    EXPECT_EQ(0, heightMapBoxes());

    RequestCourseLoad(2);
    SampleInput();
    EXPECT_EQ(1, heightMapBoxes());
    SetLanguage(language);
}

// The preview terrain is the race terrain of the same course; a goal cell
// outside the grid keeps the goal height of the course shown before; grids
// past 65,536 points get 32-bit indices like the race terrain.
TEST_F(CourseSelectTest, PreviewTerrainIsTheRaceTerrain)
{
    const CourseDef& first = courseList.courses[0];
    ASSERT_TRUE(LoadCourse(0));
    LoadCoursePreview(first);
    const CoursePreview& p = GetCoursePreview();
    const TerrainGrid& race = CurrentTerrainGrid();
    EXPECT_TRUE(p.hasModel);
    EXPECT_EQ(race.NX, p.NX);
    EXPECT_EQ(race.NZ, p.NZ);
    EXPECT_EQ(race.triangleCount, p.triangleCount);
    EXPECT_EQ(GetCourseGraphics().indexBits, p.indexBits);

    HeightMap map;
    ASSERT_EQ(HEIGHTMAP_OK, ReadHeightMap((dir + "field/map.bmp").c_str(), &map));
    PreviewArrays arrays;
    float goalHeight = -1;
    ASSERT_EQ(1, BuildPreviewArrays(map, first, p.goalX, p.goalZ, &arrays, &goalHeight));
    std::vector<TerrainVertex> raceVertices(race.vertexCount);
    BuildTerrainVertices(race, raceVertices.data());
    ASSERT_EQ(race.vertexCount, arrays.grid.vertexCount);
    EXPECT_EQ(0, memcmp(raceVertices.data(), arrays.vertices, raceVertices.size() * sizeof(TerrainVertex)));
    EXPECT_EQ(0, memcmp(race.indices, arrays.grid.indices, 3 * sizeof(int32_t) * race.triangleCount));
    FreePreviewArrays(&arrays);

    // Goal centre 0.25 from the left, 0.45 from the top: gx 0.75, gz 0.45;
    // column trunc(17 * 0.75) = 12 reads picture column 11 from the right
    // (4 from the left), row trunc(17 * 0.45) = 7 reads picture row 6.
    float expected = 3.0f * (10 * 4 + 6) / 255.0f * 3;
    EXPECT_FLOAT_EQ(expected, p.goalHeight);
    EXPECT_FLOAT_EQ(expected, goalHeight);
    LoadCoursePreview(courseList.courses[1]);
    EXPECT_TRUE(p.hasModel);
    EXPECT_FLOAT_EQ(expected, p.goalHeight);
    FreeHeightMap(&map);

    WriteGreyBmp("big256.bmp", 256, 256, std::vector<int>(256 * 256, 0));
    CourseDef big = first;
    CopyUtf8ToUtf16(big.HEIGHT_MAP, 260, TempDir() + "/big256.bmp");
    LoadCoursePreview(big);
    EXPECT_EQ(257 * 257, p.vertexCount);
    EXPECT_EQ(32, p.indexBits);
    EXPECT_NE(nullptr, p.indices);
}

}  // namespace

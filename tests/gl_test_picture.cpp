// The picture at the window's real size, drawn headless by the real loop on
// the shipped game: the same scene at 1280 x 960 as at 640 x 480 with crisp
// sprite letters and text, a resized window redrawn at its new size, and a
// race that fills a 16:9 window with its HUD in the window's corners.
// With KESTRUNE_FRAME_DIR set, the pictures are also saved there as PNGs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/loop.h"
#include "core/game.h"
#include "data/extras.h"
#include "platform/sys.h"
#include "render/board_lamps.h"
#include "render/course_text.h"
#include "render/device.h"
#include "screens/course_select.h"
#include "screens/screens.h"
#include "support/gfx_window.h"
#include "support/scripted_input.h"

namespace fs = std::filesystem;

namespace {

// A new picture of the last step, without a step: what a resized window
// shows at once.
Picture Redraw(int width, int height)
{
    SysSetWindowSize(width, height);
    loop.pictureTimeUs = 0;
    RunPass();
    return ReadWholePicture();
}

void Keep(const Picture& picture, const char* name)
{
    if (const char* dir = std::getenv("KESTRUNE_FRAME_DIR"))
        SavePicture(picture, (std::string(dir) + "/" + name + ".png").c_str());
}

int Luma(uint32_t rgb)
{
    return int((((rgb >> 16) & 255) * 299 + ((rgb >> 8) & 255) * 587 + (rgb & 255) * 114) / 1000);
}

// Widths of the edges met along the rows of the box: the pixels strictly
// between a light one (luma at least `light`) and a dark one (at most
// `dark`) while the luma falls or rises all the way. Flat bands (a shadow, a
// fill) break the run, so only edges are measured.
std::vector<int> EdgeWidths(const Picture& p, int x0, int y0, int x1, int y1, int light, int dark)
{
    std::vector<int> widths;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x + 1 < x1; ++x) {
            int from = Luma(p.Rgb(x, y));
            bool falling = from >= light, rising = from <= dark;
            if (!falling && !rising)
                continue;
            int k = x + 1, previous = from;
            while (k < x1) {
                int l = Luma(p.Rgb(k, y));
                bool onward = falling ? l < previous - 3 : l > previous + 3;
                if (!onward || (falling ? l <= dark : l >= light))
                    break;
                previous = l;
                k++;
            }
            int end = k < x1 ? Luma(p.Rgb(k, y)) : -1;
            if (k < x1 && (falling ? end <= dark : end >= light))
                widths.push_back(k - x - 1);
        }
    return widths;
}

// Share of the edges at most 2 pixels wide.
double CrispShare(const std::vector<int>& widths)
{
    if (widths.empty())
        return 0;
    long crisp = std::count_if(widths.begin(), widths.end(), [](int w) { return w <= 2; });
    return double(crisp) / double(widths.size());
}

// Mean difference per channel, and the share of pixels off by more than 24
// (pictures shrunk so far that edges falling on other pixels at another
// size do not count).
void Compare(const Picture& a, const Picture& b, double* mean, double* offShare)
{
    long sum = 0, off = 0;
    for (size_t i = 0; i < a.rgba.size(); i += 4) {
        int worst = 0;
        for (int c = 0; c < 3; ++c) {
            int d = std::abs(int(a.rgba[i + c]) - int(b.rgba[i + c]));
            sum += d;
            worst = std::max(worst, d);
        }
        off += worst > 24;
    }
    *mean = double(sum) / double(a.rgba.size() / 4 * 3);
    *offShare = double(off) / double(a.rgba.size() / 4);
}

class PictureSizes : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = CopyGameFolder(KESTRUNE_GAME_DIR, "kestrune-picture");
        // The Japanese screens, whose dense strokes tell a soft edge from a
        // crisp one best; the English ones share their sheets' scale and drawer.
        setenv("LC_ALL", "ja_JP.UTF-8", 1);
        ASSERT_EQ(StartScriptedGame(dir, nullptr), 1);
    }
    void TearDown() override
    {
        unsetenv("LC_ALL");
        StopScriptedGame();
        fs::remove_all(dir);
    }
    // The last step's picture at 1280 x 960 (the window's size when it ran)
    // and redrawn at 640 x 480: the same scene, and edges in the box (640 x 480
    // units) crisp at the large size, where the small picture merely scaled
    // up, as the game showed it before, has soft ones.
    void ExpectSameSceneCrisper(const char* name, int x0, int y0, int x1, int y1, int light, int dark)
    {
        Picture big = ReadWholePicture();
        ASSERT_EQ(big.width, 1280) << name;
        ASSERT_EQ(big.height, 960) << name;
        Picture small = Redraw(640, 480);
        ASSERT_EQ(small.width, 640) << name;
        Picture scaledUp;
        scaledUp.width = 1280;
        scaledUp.height = 960;
        scaledUp.rgba.assign(1280 * 960 * 4, 0);
        ReadPicture(scaledUp.rgba.data(), 1280, 960);
        Keep(small, (std::string(name) + "_640").c_str());
        Keep(big, (std::string(name) + "_1280").c_str());
        double mean = 0, off = 0, coarseMean = 0, coarseOff = 0;
        Compare(ShrinkPicture(big, 640, 480), small, &mean, &off);
        EXPECT_LT(mean, 3.0) << name << ": not the same scene";
        Compare(ShrinkPicture(big, 160, 120), ShrinkPicture(small, 160, 120), &coarseMean, &coarseOff);
        EXPECT_LT(coarseOff, 0.01) << name << ": not the same scene";
        printf("[ scene ] %s: %.2f levels apart on average, %.2f %% of 4 x 4 blocks apart\n", name, mean,
               100 * coarseOff);
        std::vector<int> crisp = EdgeWidths(big, 2 * x0, 2 * y0, 2 * x1, 2 * y1, light, dark);
        std::vector<int> soft = EdgeWidths(scaledUp, 2 * x0, 2 * y0, 2 * x1, 2 * y1, light, dark);
        // Slanted strokes crossed along a row are wider than their edge: most
        // edges, not all, are at most 2 px.
        ASSERT_GT(crisp.size(), 100u) << name;
        EXPECT_GE(CrispShare(crisp), 0.85) << name;
        EXPECT_LT(CrispShare(soft), 0.6) << name << ": the measure tells soft edges from crisp ones";
        printf("[ edges ] %s: %.0f %% of %zu edges at most 2 px wide at 1280 x 960, %.0f %% of %zu scaled up\n",
               name, 100 * CrispShare(crisp), crisp.size(), 100 * CrispShare(soft), soft.size());
    }
    std::string dir;
};

}  // namespace

// The title's sprite letters (from the sheets) and the course description's
// text (rasterised glyphs): the same at both sizes, edges at most 2 px wide
// at 1280 x 960. Text made for one size is made again for another.
TEST_F(PictureSizes, SameSceneWithCrispLettersAndText)
{
    ScriptedFrames(90);   // the letters are in and the menu is open
    ASSERT_EQ(game.state, STATE_TITLE);
    SysSetWindowSize(1280, 960);
    ScriptedFrames(1);
    ExpectSameSceneCrisper("title", 0, 28, 640, 156, 230, 70);

    scriptedKeys[KEY_SPACE] = true;   // course select is the first entry
    ScriptedFrames(2);
    scriptedKeys[KEY_SPACE] = false;
    for (int k = 0; k < 200 && game.state == STATE_TITLE; ++k)
        ScriptedFrames(1);
    ASSERT_EQ(game.state, STATE_COURSE_SELECT);
    for (int k = 0; k < 2000 && (GetCourseSelect().phase != SELECT_BROWSING ||
                                 GetCourseSelect().revealedGlyphs < courseText.docGlyphCount); ++k)
        ScriptedFrames(1);
    ASSERT_GT(courseText.docGlyphCount, 10);
    EXPECT_EQ(courseText.scale, 1.0f);
    SysSetWindowSize(1280, 960);
    ScriptedFrames(1);
    EXPECT_EQ(courseText.scale, 2.0f) << "text is made again for the new size";
    ExpectSameSceneCrisper("select", 52, 340, 588, 456, 200, 60);
    ScriptedFrames(1);
    EXPECT_EQ(courseText.scale, 1.0f);
}

// A race in a 16:9 window with the fill option: the picture is the whole
// window, the time panel's digits reach to its top right corner and the
// board's lamps sit in its bottom left corner.
TEST_F(PictureSizes, FillAtSixteenNineKeepsTheHudInTheCorners)
{
    extras.pictureFill = 1;
    SysSetWindowSize(1280, 720);
    RequestCourseLoad(0);
    EnterIntro();
    ScriptedFrames(1);
    game.state = STATE_RACE;   // straight past the intro and the countdown
    ScriptedFrames(30);
    ASSERT_EQ(game.state, STATE_RACE);
    Picture race = ReadWholePicture();
    Keep(race, "fill_race");
    ASSERT_EQ(race.width, 1280);
    ASSERT_EQ(race.height, 720);
    EXPECT_NE(race.Rgb(2, 360), 0x000000u) << "no bar at the left";
    EXPECT_NE(race.Rgb(1277, 360), 0x000000u) << "no bar at the right";

    // 1.5 pixels a unit; the digits end 16 units in from the right edge.
    int bright = 0;
    for (int y = 18; y < 90; ++y)
        for (int x = 1180; x < 1272; ++x) {
            uint32_t c = race.Rgb(x, y);
            bright += ((c >> 16) & 255) > 200 && ((c >> 8) & 255) > 200;
        }
    EXPECT_GT(bright, 100) << "the time panel's digits are not in the top right corner";

    // The lamps' left column is 22 units in from the left edge.
    float lx, ly;
    ScreenLampCentre(1, &lx, &ly);
    PictureSpan span = CurrentPictureSpan();
    int px = int((lx - span.left) * 1.5f), py = int(ly * 1.5f);
    EXPECT_LT(px, 40);
    uint32_t lamp = race.Rgb(px, py);
    uint32_t lit = 0xFF9020, unlit = 0x302820;
    bool isLamp = std::abs(int((lamp >> 16) & 255) - int(lit >> 16)) < 24 ||
                  std::abs(int((lamp >> 16) & 255) - int(unlit >> 16)) < 24;
    EXPECT_TRUE(isLamp) << std::hex << lamp;
    extras.pictureFill = 0;
}

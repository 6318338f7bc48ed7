// The window kept across runs: a kept place is fitted to the displays there
// are now, and the game reopens its window where it was left, on the null
// platform's one 1920 x 1080 display.
#include <gtest/gtest.h>

#include "app/loop.h"
#include "core/game.h"
#include "data/extras.h"
#include "platform/sys.h"
#include "support/data_files.h"

namespace {

const SysRect kTwoDisplays[2] = {{0, 0, 1920, 1080}, {1920, 0, 2560, 1440}};

bool Same(const SysWindowPlace& a, const SysWindowPlace& b)
{
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height &&
           a.fullscreen == b.fullscreen && a.display == b.display;
}

}  // namespace

// On a display that is there, a place that fits is kept as it is.
TEST(WindowPlace, KeptWhereItFits)
{
    SysWindowPlace kept = {2100, 300, 1280, 960, 1, 1};
    EXPECT_TRUE(Same(FitWindowPlace(kept, kTwoDisplays, 2), kept));
    SysWindowPlace primary = {10, 20, 800, 600, 0, 0};
    EXPECT_TRUE(Same(FitWindowPlace(primary, kTwoDisplays, 2), primary));
}

// The second display is gone: the window goes to the middle of the primary
// one, shrunk to it when it was larger, fullscreen or not as it was.
TEST(WindowPlace, GoneDisplayFallsBackToThePrimary)
{
    SysWindowPlace kept = {2100, 300, 1280, 960, 1, 1};
    SysWindowPlace fitted = FitWindowPlace(kept, kTwoDisplays, 1);
    EXPECT_EQ(fitted.display, 0);
    EXPECT_EQ(fitted.x, (1920 - 1280) / 2);
    EXPECT_EQ(fitted.y, (1080 - 960) / 2);
    EXPECT_EQ(fitted.fullscreen, 1);
    SysWindowPlace huge = {2000, 0, 2400, 1400, 0, 1};
    fitted = FitWindowPlace(huge, kTwoDisplays, 1);
    EXPECT_TRUE(Same(fitted, {0, 0, 1920, 1080, 0, 0}));
}

// A place off its display (the display moved, a file edited by hand) comes
// back on screen: wholly off is centred, partly off is moved in.
TEST(WindowPlace, NeverReopensOffScreen)
{
    SysWindowPlace fitted = FitWindowPlace({-5000, 4000, 640, 480, 0, 0}, kTwoDisplays, 2);
    EXPECT_TRUE(Same(fitted, {640, 300, 640, 480, 0, 0}));
    fitted = FitWindowPlace({1700, -100, 640, 480, 0, 0}, kTwoDisplays, 2);
    EXPECT_TRUE(Same(fitted, {1280, 0, 640, 480, 0, 0}));
    fitted = FitWindowPlace({100, 100, 640, 480, 0, -3}, kTwoDisplays, 2);
    EXPECT_EQ(fitted.display, 0);
}

namespace {

// The smallest game folder the game starts from.
class KeptWindow : public DataFilesTest {
protected:
    void SetUp() override
    {
        DataFilesTest::SetUp();
        WriteBytes("sprite.ini", "PLANE_NUM:[0]\r\n");
        WriteBytes("def.ini", "BALL_SIZE:[3]\r\n");
        WriteBmp("map.bmp");
        WriteBytes("doc.txt", "Flat.\r\n");
        WriteBytes("course.ini",
                   "FIELD_TOTAL:[1]\r\nFIELD_NUM:[0]\r\nFIELD_NAME:[[flat]]\r\n"
                   "HEIGHT_MAP:[[map.bmp]] FIELD_TEXTURE:[[map.bmp]] DOCUMENT:[[doc.txt]]\r\n"
                   "MAP_HEIGHT:[3] GRID_SIZE:[4] SELECT_SCALING:[8]\r\n"
                   "START:[0.5,1,0.5] GOAL:[0.4][0.4][0.6][0.6]\r\n");
        game = Game{};
        loop = LoopState{};
    }
    // Extras with the window's entries as given and the others at their
    // defaults (lamps, sound, ghost, English, the volumes, vsync, 4:3).
    static std::string ExtrasWithPlace(const SysWindowPlace& place)
    {
        return LittleEndianWords({1, 0, 1, 1, 8, 6, 8, 1, 1, 0, uint32_t(place.x), uint32_t(place.y),
                                  uint32_t(place.width), uint32_t(place.height),
                                  uint32_t(place.fullscreen), uint32_t(place.display)});
    }
    void KeepPlace(const SysWindowPlace& place) { WriteBytes("extras.sav", ExtrasWithPlace(place)); }
    static SysWindowPlace Place()
    {
        SysWindowPlace place = {};
        SysGetWindowPlace(&place);
        return place;
    }
};

}  // namespace

// The window opens where it was left, and where it is at the end is kept:
// size, position, fullscreen and display.
TEST_F(KeptWindow, RestoredAndKeptAgainAtTheEnd)
{
    KeepPlace({300, 200, 1280, 720, 0, 0});
    ASSERT_EQ(StartUp(), 1);
    EXPECT_TRUE(Same(Place(), {300, 200, 1280, 720, 0, 0}));
    int w = 0, h = 0;
    SysGetDrawableSize(&w, &h);
    EXPECT_EQ(w, 1280);
    EXPECT_EQ(h, 720);
    SysSetWindowPlace({50, 60, 800, 600, 1, 0});
    ShutDown();
    // The settings appended after the window's follow them.
    std::string kept = ExtrasWithPlace({50, 60, 800, 600, 1, 0});
    EXPECT_EQ(ReadBytes("extras.sav").substr(0, kept.size()), kept);
}

// Kept on a second display that is gone: the window opens in the middle of
// the primary one, at its kept size.
TEST_F(KeptWindow, GoneDisplayOpensOnThePrimary)
{
    KeepPlace({2200, 100, 1024, 768, 0, 1});
    ASSERT_EQ(StartUp(), 1);
    EXPECT_TRUE(Same(Place(), {(1920 - 1024) / 2, (1080 - 768) / 2, 1024, 768, 0, 0}));
    ShutDown();
}

// Nothing kept (a first run, an old extras file): the classic 640 x 480.
TEST_F(KeptWindow, NothingKeptOpensTheClassicWindow)
{
    WriteBytes("extras.sav", LittleEndianWords({1, 0, 1}));
    ASSERT_EQ(StartUp(), 1);
    SysWindowPlace place = Place();
    EXPECT_EQ(place.width, 640);
    EXPECT_EQ(place.height, 480);
    ShutDown();
}

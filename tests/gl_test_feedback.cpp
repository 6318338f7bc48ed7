// Board-less feedback on the real platform: the lamps drawn on screen by
// pattern and hidden with a board, and speakers that open or fail quietly.
#include <gtest/gtest.h>

#include <cstdlib>

#include "data/extras.h"
#include "platform/audio.h"
#include "render/board_lamps.h"
#include "render/device.h"
#include "render/sprites.h"
#include "sensor/board_local.h"
#include "support/gfx_window.h"

namespace {

const uint32_t kBackground = 0x404040;

Frame DrawLamps(int pattern)
{
    SetLedPattern(pattern);
    BeginScene();
    QueueScreenLamps();
    FlushSprites();
    Frame frame = ReadFrame();
    PresentScene();
    return frame;
}

// Lit lamps are amber (red well above blue), unlit ones dark.
bool LampLit(const Frame& frame, int bit)
{
    float x, y;
    ScreenLampCentre(bit, &x, &y);
    uint32_t rgb = frame.Rgb(int(x), int(y));
    return ((rgb >> 16) & 0xFF) > 200 && (rgb & 0xFF) < 100;
}

}  // namespace

// Each pattern lights exactly its bits in the board's layout; a connected
// board or F7's choice hides the lamps.
TEST(ScreenLampsTest, PatternsLightTheirLampsAndHideWithABoard)
{
    ASSERT_EQ(OpenTestDevice(), 1);
    extras.lampsShown = 1;
    boardLink.boardConnected.store(0);
    for (int pattern : {3, 6, 9, 15}) {
        Frame frame = DrawLamps(pattern);
        for (int bit = 0; bit < 4; bit++)
            EXPECT_EQ(LampLit(frame, bit), ((pattern >> bit) & 1) != 0) << "pattern " << pattern << " bit " << bit;
        if (pattern == 9) SaveFrame(frame, "screen_lamps_9.png");
    }
    Frame off = DrawLamps(0);
    float x, y;
    ScreenLampCentre(0, &x, &y);
    EXPECT_NE(off.Rgb(int(x), int(y)), kBackground);   // unlit lamps still show
    boardLink.boardConnected.store(1);
    EXPECT_EQ(DrawLamps(15).Rgb(int(x), int(y)), kBackground);
    boardLink.boardConnected.store(0);
    extras.lampsShown = 0;
    EXPECT_EQ(DrawLamps(15).Rgb(int(x), int(y)), kBackground);
    extras.lampsShown = 1;
    ReleaseScreenLamps();
    CloseTestDevice();
}

// The dummy driver opens; a driver that does not exist leaves the game silent
// without a message, and tones are then simply not played.
TEST(SpeakerTest, OpensOrFailsQuietly)
{
    ASSERT_EQ(AudioOpen(), 1);
    AudioPlayTone(768.0f, 64);
    AudioClose();
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(AudioOpen(), 0);
    AudioPlayTone(768.0f, 64);
    AudioClose();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

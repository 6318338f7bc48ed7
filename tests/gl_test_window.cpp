// The game window on the real platform, headless: fullscreen and back.
#include <gtest/gtest.h>

#include "platform/gfx.h"
#include "platform/sys.h"
#include "support/gfx_window.h"

// F11's toggle: fullscreen takes the display's size with the picture letterboxed 4:3 in it,
// and toggling again gives back the window at the size it had (a driver need not restore it).
TEST(Window, FullscreenAndBack)
{
    ASSERT_EQ(OpenTestDevice(), 1);
    ASSERT_EQ(SysIsFullscreen(), 0);
    SysToggleFullscreen();
    EXPECT_EQ(SysIsFullscreen(), 1);
    int w = 0, h = 0;
    SysGetDrawableSize(&w, &h);
    EXPECT_GE(w, 640);
    EXPECT_GE(h, 480);
    int rect[4];
    GfxLetterbox(w, h, rect);
    EXPECT_NEAR(rect[2] * 3, rect[3] * 4, 4);
    EXPECT_EQ(rect[0] * 2 + rect[2], w - (w - rect[2]) % 2);
    GfxClear(0xFF336699, 1.0f);
    GfxPresent();   // the picture stays whole in the back buffer
    EXPECT_EQ(ReadFrame().Count(0x336699), 640 * 480);

    SysToggleFullscreen();
    SysMessage message;
    while (SysPeekMessage(&message)) {
    }
    EXPECT_EQ(SysIsFullscreen(), 0);
    SysGetDrawableSize(&w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    CloseTestDevice();
}

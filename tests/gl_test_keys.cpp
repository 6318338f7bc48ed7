// The keyboard on the real platform: X and Z are found by their letter
// through the current layout, the other keys by position. SDL events stand
// in for what the window system would deliver with another layout.
#include <gtest/gtest.h>
#include <SDL.h>

#include "platform/sys.h"

namespace {

class KeysTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(SysCreateWindow("Kestrune keys", 640, 480), 1); }
    void TearDown() override { SysDestroyWindow(); }
    // A key event as SDL reports it: the physical key and the letter the
    // layout gives it. The loop's message pump then sees it.
    void Key(Uint32 type, SDL_Scancode where, SDL_Keycode letter)
    {
        SDL_Event event = {};
        event.type = type;
        event.key.type = type;
        event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.scancode = where;
        event.key.keysym.sym = letter;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
        SysMessage msg;
        while (SysPeekMessage(&msg)) {}
    }
};

}  // namespace

// German layout: the key in the US Y place types Z and is the game's Z; the
// key in the US Z place types Y and is nothing to the game.
TEST_F(KeysTest, LettersFollowTheLayout)
{
    Key(SDL_KEYDOWN, SDL_SCANCODE_Z, SDLK_y);
    EXPECT_FALSE(SysKeyDown(KEY_Z));
    Key(SDL_KEYDOWN, SDL_SCANCODE_Y, SDLK_z);
    EXPECT_TRUE(SysKeyDown(KEY_Z));
    EXPECT_FALSE(SysKeyDown(KEY_X));
    Key(SDL_KEYUP, SDL_SCANCODE_Z, SDLK_y);
    EXPECT_TRUE(SysKeyDown(KEY_Z));
    Key(SDL_KEYUP, SDL_SCANCODE_Y, SDLK_z);
    EXPECT_FALSE(SysKeyDown(KEY_Z));
    // French layout: X stays in place; released by the same key after a
    // layout switch turned its letter into something else.
    Key(SDL_KEYDOWN, SDL_SCANCODE_X, SDLK_x);
    EXPECT_TRUE(SysKeyDown(KEY_X));
    Key(SDL_KEYUP, SDL_SCANCODE_X, SDLK_q);
    EXPECT_FALSE(SysKeyDown(KEY_X));
}

// A letter held when the window loses focus is let go.
TEST_F(KeysTest, FocusLossReleasesLetters)
{
    Key(SDL_KEYDOWN, SDL_SCANCODE_W, SDLK_z);
    ASSERT_TRUE(SysKeyDown(KEY_Z));
    SDL_Event event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    SysMessage msg;
    while (SysPeekMessage(&msg)) {}
    EXPECT_FALSE(SysKeyDown(KEY_Z));
}

// A press and its release in one batch of events leave the key up after
// the first look, which sees the tap; the press is counted: the letter by
// its letter, another key by its place.
TEST_F(KeysTest, ShortPressesAreCounted)
{
    const int kW = KEYCODE_A + 22;
    uint32_t w = SysKeyPressCount(kW), z = SysKeyPressCount(KEYCODE_Z);
    uint32_t space = SysKeyPressCount(KEYCODE_SPACE);
    SDL_Event events[4] = {};
    // A layout where the key in the US Z place types W.
    const SDL_Scancode where[2] = {SDL_SCANCODE_Z, SDL_SCANCODE_SPACE};
    const SDL_Keycode what[2] = {SDLK_w, SDLK_SPACE};
    for (int i = 0; i < 4; i++) {
        events[i].type = events[i].key.type = i % 2 ? SDL_KEYUP : SDL_KEYDOWN;
        events[i].key.keysym.scancode = where[i / 2];
        events[i].key.keysym.sym = what[i / 2];
        ASSERT_EQ(SDL_PushEvent(&events[i]), 1);
    }
    SysMessage msg;
    while (SysPeekMessage(&msg)) {}
    EXPECT_TRUE(SysKeyCodeDown(kW));
    EXPECT_FALSE(SysKeyCodeDown(kW));
    EXPECT_EQ(w + 1, SysKeyPressCount(kW));
    EXPECT_EQ(space + 1, SysKeyPressCount(KEYCODE_SPACE));
    EXPECT_EQ(z, SysKeyPressCount(KEYCODE_Z));   // its place typed W
}

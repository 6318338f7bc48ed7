// Game pads: the left stick, the buttons and, where the pad has one, the
// accelerometer of the first attached pad, with the pad's make and model. The real
// platform follows pads plugged in and pulled out while the game runs; the
// null platform has no pad unless a test puts one there.
#pragma once
#include <cstdint>

// Buttons by position, whatever their labels: a pad with A at the east
// still reports its south button as PAD_SOUTH.
enum PadButton : uint32_t {
    PAD_SOUTH = 1u << 0,           // A / cross
    PAD_EAST = 1u << 1,            // B / circle
    PAD_NORTH = 1u << 2,           // Y / triangle
    PAD_START = 1u << 3,
    PAD_LEFT_SHOULDER = 1u << 4,
    PAD_RIGHT_SHOULDER = 1u << 5,
    PAD_WEST = 1u << 6,            // X / square
    PAD_BACK = 1u << 7,            // back / select / share
    PAD_LEFT_STICK = 1u << 8,      // the sticks pressed in
    PAD_RIGHT_STICK = 1u << 9,
    PAD_DPAD_UP = 1u << 10,
    PAD_DPAD_DOWN = 1u << 11,
    PAD_DPAD_LEFT = 1u << 12,
    PAD_DPAD_RIGHT = 1u << 13,
    PAD_BUTTON_COUNT = 14          // bits in use, from bit 0
};

struct PadState {
    int attached;       // a pad is open; everything below is 0 when not
    float stickX;       // left stick: -1 full left .. +1 full right
    float stickY;       // left stick: -1 full up .. +1 full down
    uint32_t buttons;   // PadButton bits held
    int hasMotion;      // the accelerometer is switched on
    float accel[3];     // in g, the pad's frame: x right, y up, z toward the
                        // player; a pad lying flat reads (0, 1, 0)
    char guid[33];      // the pad's make and model as 32 hex digits, the
                        // same for every pad of a kind on every computer
};

// The first attached pad now; all zero when none. Allocates nothing except
// when a pad has just been plugged in.
void PadRead(PadState* pad);

// 1 when the platform can see pads at all (the real one: its controller
// support started with the window).
int PadSupported();

// Tests: from now on PadRead reports this pad (copied); null gives the
// platform's own pads back.
void PadSetForTests(const PadState* pad);

// Game pads: the left stick, the face, start and shoulder buttons and, where
// the pad has one, the accelerometer of the first attached pad. The real
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
};

struct PadState {
    int attached;       // a pad is open; everything below is 0 when not
    float stickX;       // left stick: -1 full left .. +1 full right
    float stickY;       // left stick: -1 full up .. +1 full down
    uint32_t buttons;   // PadButton bits held
    int hasMotion;      // the accelerometer is switched on
    float accel[3];     // in g, the pad's frame: x right, y up, z toward the
                        // player; a pad lying flat reads (0, 1, 0)
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

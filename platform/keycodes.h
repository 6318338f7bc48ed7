// Any key of the keyboard as one portable number: its USB HID usage (the
// keyboard page), which names the same key on every system. The letters A to
// Z are the keys that type those letters in the player's layout; every other
// key is the one in that place on a US keyboard.
#pragma once

enum KeyCode {
    KEYCODE_NONE = 0,
    KEYCODE_A = 4,            // .. KEYCODE_A + 25 = Z
    KEYCODE_R = 21,
    KEYCODE_X = 27,
    KEYCODE_Z = 29,
    KEYCODE_1 = 30,           // .. 1 2 3 4 5 6 7 8 9, then 0 at 39
    KEYCODE_0 = 39,
    KEYCODE_ENTER = 40,
    KEYCODE_ESCAPE = 41,
    KEYCODE_BACKSPACE = 42,
    KEYCODE_TAB = 43,
    KEYCODE_SPACE = 44,
    KEYCODE_F1 = 58,          // .. F12 at 69
    KEYCODE_F5 = 62,
    KEYCODE_F6 = 63,
    KEYCODE_F11 = 68,
    KEYCODE_RIGHT = 79,
    KEYCODE_LEFT = 80,
    KEYCODE_DOWN = 81,
    KEYCODE_UP = 82,
    KEYCODE_LCTRL = 224,
    KEYCODE_LSHIFT = 225,
    KEYCODE_LALT = 226,
    KEYCODE_RCTRL = 228,
    KEYCODE_RSHIFT = 229,
    KEYCODE_RALT = 230,
    KEYCODE_COUNT = 256       // every code is below this
};

// Choices of the game's extras that the classic option file has no room for
// (its layout is fixed): the on-screen lamps, muting, the ghost ball, the
// language, the sound volumes, the picture's pacing and shape, where the
// window was, and what later settings add. Kept in "extras.sav"
// beside "config.sav", as 32-bit little-endian integers in the order of the
// record; a shorter file leaves the later choices at their defaults, so new
// extras are appended at the end.
#pragma once
#include <cstdint>

// Which ghost races along: the player's best run (the par run until there
// is one), the par run, or none.
enum GhostChoice { GHOST_BEST = 0, GHOST_PAR = 1, GHOST_NONE = 2, GHOST_CHOICES };

struct Extras {
    int32_t lampsShown;   // 1: the board's lamps are drawn on screen without a board (F7)
    int32_t muted;        // 1: no sound at all from the speakers (F8)
    int32_t ghostShown;   // 1: a ghost races along; follows ghostChoice, kept for older files
    int32_t language;     // Language; from the locale until the player chooses
    int32_t masterVolume;    // 0..10: everything the speakers play
    int32_t musicVolume;     // 0..10: the music
    int32_t effectsVolume;   // 0..10: effects, the rolling ball and the board's tones
    int32_t muteUnfocused;   // 1: silent while the window is not in focus
    int32_t vsync;            // 1: pictures wait for the display's refresh (no tearing)
    int32_t pictureFill;      // 1: race scenes fill a wide window; 0: the 4:3 frame with bars
    int32_t windowX;          // the window's client area on the desktop, kept at exit
    int32_t windowY;
    int32_t windowWidth;      // its size in window units; 0: never kept (640 x 480)
    int32_t windowHeight;
    int32_t windowFullscreen; // 1: it was fullscreen
    int32_t windowDisplay;    // the display it was on, 0 the primary
    int32_t ghostChoice;      // GhostChoice; from ghostShown in a file without it
    int32_t mouseSteering;    // 1: the mouse tilts the ball during the race
    int32_t mouseSensitivity; // 0 .. 10: tilt per pixel of mouse motion, 5 by default
    int32_t keyRamp;          // 0 .. 10: a key's tilt grows over this many 50 ms steps; 0 instant
    int32_t reducedMotion;    // 1: no fly-over, no spinning or sliding plates, a steady camera
};
extern Extras extras;

enum { EXTRAS_VOLUME_MAX = 10 };

// F9: no ghost, or back to the ghost chosen before (the player's best at first).
void ToggleGhost();
// After ghostChoice changed: ghostShown follows it.
void GhostChoiceChanged();

// Defaults when the file is missing or short; a value out of its range takes
// its default. Applies the language.
void LoadExtras();
int  SaveExtras();        // 1 written, 0 failed (the choices stay in memory)

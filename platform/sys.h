// The game's window on the operating system: the display, window and events,
// keys, clock, sleep, the error box and the player's language (the folders
// are in platform/paths.h). Two implementations exist:
// platform/sdl (a real window) and platform/null (no window, for tests).
// Key state, clock and error box can be replaced from tests with SysSetHooks.
#pragma once
#include <cstdint>

#include "platform/keycodes.h"

enum SysKey {
    KEY_UP, KEY_DOWN, KEY_LEFT, KEY_RIGHT, KEY_SHIFT, KEY_X, KEY_Z, KEY_SPACE,
    KEY_F1, KEY_F2, KEY_F3, KEY_F4, KEY_F5, KEY_F6,
    KEY_F7, KEY_F8, KEY_F9,        // the extras: screen lamps, speaker tones, ghost
    KEY_COUNT
};

// Messages handed out by SysPeekMessage, modelled on the window messages the
// game's loop reacts to; everything else is SYS_MSG_OTHER.
enum SysMessageKind { SYS_MSG_OTHER, SYS_MSG_CLOSE, SYS_MSG_DESTROY, SYS_MSG_QUIT };
struct SysMessage {
    SysMessageKind kind;
    int param;          // exit code carried by SYS_MSG_QUIT
};

// Whether a window can be shown: 1 when a display answers, or when
// SDL_VIDEODRIVER names a driver explicitly (headless runs and tests ask for
// theirs). 0 when none does; the game must not then run unseen.
int  SysHasDisplay();

// Window. Client area width x height; the picture keeps 4:3 when resized.
int  SysCreateWindow(const char* captionUtf8, int width, int height);  // 1 ok, 0 failed
void SysDestroyWindow();
int  SysHasWindow();
void SysSetWindowCaption(const char* captionUtf8);   // nothing without a window
// Window <-> desktop fullscreen, also on F11 and Alt+Enter; the pointer is
// hidden in fullscreen and the picture keeps 4:3 with bars either way.
void SysToggleFullscreen();
int  SysIsFullscreen();
// The client area's size in window units (the drawable may have more pixels).
void SysSetWindowSize(int width, int height);

// Where the window stands, to be kept across runs: the windowed size and
// position (also while fullscreen), fullscreen, and the display it is on.
struct SysWindowPlace {
    int x, y;             // client area's top left on the desktop
    int width, height;    // client area, window units
    int fullscreen;       // 1: desktop fullscreen on that display
    int display;          // index of the display, 0 the primary
};
struct SysRect {
    int x, y, width, height;
};
int  SysGetWindowPlace(SysWindowPlace* place);   // 1 with a window, else 0
// Moves and sizes the window as kept; FitWindowPlace has made it fit first.
void SysSetWindowPlace(const SysWindowPlace& place);
// The usable area of each display now, the primary first; returns how many
// (at most `max`).
int  SysDisplayAreas(SysRect* areas, int max);
// A kept place made to fit the displays there are now: a display that is gone
// gives way to the primary one, a window too big for its display shrinks to
// it, and one that would lie wholly off the display is centred on it.
SysWindowPlace FitWindowPlace(const SysWindowPlace& kept, const SysRect* areas, int count);

// Message queue: 1 and a message when one is waiting, else 0.
int  SysPeekMessage(SysMessage* msg);
void SysPostMessage(SysMessageKind kind, int param);
// From now on SIGTERM, SIGINT and SIGHUP arrive as a close request in the
// queue, so a session logout or `kill` ends the game through its own
// shutdown (saves closed, board thread stopped) with exit code 0.
void SysCatchStopSignals();

// OpenGL context for the window's drawing: 1 when one is current.
int  SysCreateGLContext();
void SysDestroyGLContext();
void SysSwapBuffers();
void SysGetDrawableSize(int* width, int* height);   // pixels, HiDPI included
// Presents in step with the display: on asks for adaptive vsync where the
// driver has it, else plain vsync. 1 when presents now wait for the display.
int  SysSetVsync(int on);
// Refresh rate of the display the window is on, Hz; 0 when unknown.
int  SysRefreshRate();

// Whether the window has the keyboard focus: 1 until the window system says
// it was lost (a window without one never loses it).
int  SysWindowFocused();

// Input, time, sleeping.
int      SysKeyDown(SysKey key);          // nonzero while held
// Any key by its KeyCode (platform/keycodes.h); nonzero while held. A key
// of the set above reads the same through either call.
int      SysKeyCodeDown(int code);
// How many times the key has gone down since the start, however briefly:
// a press shorter than a frame still counts. (Through the test hooks, the
// presses the calls themselves see.)
uint32_t SysKeyPressCount(int code);
// The mouse in relative mode: while captured the pointer is hidden and held
// in the window, and its motion is summed for SysTakeMouseMotion. Released,
// the pointer is the desktop's again and no motion is kept.
void     SysSetMouseCaptured(int captured);
int      SysMouseCaptured();
// The motion since the last call, in pixels: right and down are positive.
void     SysTakeMouseMotion(float* dx, float* dy);
uint32_t SysMilliseconds();               // wraps every 2^32 ms like any 32-bit tick
// The same clock in microseconds, for pacing pictures: its value / 1000 is
// SysMilliseconds() (the low 32 bits).
uint64_t SysMicroseconds();
void     SysSleep(uint32_t ms);
void     SysYield();                      // give up the rest of the time slice
void     SysSleepMicroseconds(uint32_t us);

// The error box: caption "Kestrune", error icon, OK. Headless it prints the
// text to standard error and returns at once.
void SysErrorBox(const char* textUtf8);

// Test hooks: any member left null keeps the platform's own behaviour. A
// clock hooked in one unit gives the other unit too.
struct SysHooks {
    int      (*keyDown)(SysKey key);
    uint32_t (*milliseconds)();
    void     (*errorBox)(const char* textUtf8);
    void     (*sleep)(uint32_t ms);
    int      (*windowFocused)();
    int      (*keyCodeDown)(int code);    // read beside keyDown: either holds a key
    void     (*mouseMotion)(float* dx, float* dy);   // replaces the captured motion
    uint64_t (*microseconds)();
    void     (*swapBuffers)();            // a simulated display's present
    int      (*refreshRate)();
    int      (*setVsync)(int on);
};
void SysSetHooks(const SysHooks* hooks);   // null restores the platform's own

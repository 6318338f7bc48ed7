// The game's window on the operating system: the display, window and events,
// keys, clock, sleep, the error box and the player's language (the folders
// are in platform/paths.h). Two implementations exist:
// platform/sdl (a real window) and platform/null (no window, for tests).
// Key state, clock and error box can be replaced from tests with SysSetHooks.
#pragma once
#include <cstdint>

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
void SysGetDrawableSize(int* width, int* height);

// Whether the window has the keyboard focus: 1 until the window system says
// it was lost (a window without one never loses it).
int  SysWindowFocused();

// Input, time, sleeping.
int      SysKeyDown(SysKey key);          // nonzero while held
uint32_t SysMilliseconds();               // wraps every 2^32 ms like any 32-bit tick
void     SysSleep(uint32_t ms);
void     SysYield();                      // give up the rest of the time slice
void     SysSleepMicroseconds(uint32_t us);

// The error box: caption "Kestrune", error icon, OK. Headless it prints the
// text to standard error and returns at once.
void SysErrorBox(const char* textUtf8);

// Test hooks: any member left null keeps the platform's own behaviour.
struct SysHooks {
    int      (*keyDown)(SysKey key);
    uint32_t (*milliseconds)();
    void     (*errorBox)(const char* textUtf8);
    void     (*sleep)(uint32_t ms);
    int      (*windowFocused)();
};
void SysSetHooks(const SysHooks* hooks);   // null restores the platform's own

// The platform without a window or keyboard: tests run the game's code on it.
#include <cstdio>

#include "platform/sys_backend.h"

namespace {
int windowOpen;   // SysCreateWindow was called
int fullscreen;   // SysToggleFullscreen was called an odd number of times
}

// Nothing is shown here, so there is always room for it.
int SysHasDisplay() { return 1; }

int SysCreateWindow(const char*, int, int)
{
    windowOpen = 1;
    return 1;
}

void SysDestroyWindow() { windowOpen = 0; fullscreen = 0; }
int  SysHasWindow() { return windowOpen; }
void SysSetWindowCaption(const char*) {}
void SysToggleFullscreen() { fullscreen = windowOpen ? !fullscreen : 0; }
int  SysIsFullscreen() { return windowOpen && fullscreen; }

// No GL here: the null graphics device draws nothing.
int  SysCreateGLContext() { return 0; }
void SysDestroyGLContext() {}
void SysSwapBuffers() {}
void SysGetDrawableSize(int* width, int* height)
{
    *width = 640;
    *height = 480;
}

int  SysBackendKeyDown(SysKey) { return 0; }
int  SysBackendWindowFocused() { return 1; }
void SysBackendPollEvents() {}

void SysBackendErrorBox(const char* textUtf8)
{
    fprintf(stderr, "Kestrune: %s\n", textUtf8);
}

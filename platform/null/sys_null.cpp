// The platform without a window or keyboard: tests run the game's code on it.
// Its window is only a record (size, place, fullscreen) on one 1920 x 1080
// display, so the game's window handling can be followed without a desktop.
#include <cstdio>

#include "platform/sys_backend.h"

namespace {

struct NullWindow {
    int open;              // SysCreateWindow was called
    SysWindowPlace place;  // as last set; fullscreen flips with the toggle
};
NullWindow window;

const SysRect kDisplay = {0, 0, 1920, 1080};

}  // namespace

// Nothing is shown here, so there is always room for it.
int SysHasDisplay() { return 1; }

int SysCreateWindow(const char*, int width, int height)
{
    window.open = 1;
    window.place = {(kDisplay.width - width) / 2, (kDisplay.height - height) / 2, width, height, 0, 0};
    return 1;
}

void SysDestroyWindow() { window = NullWindow{}; }
int  SysHasWindow() { return window.open; }
void SysSetWindowCaption(const char*) {}
void SysToggleFullscreen() { window.place.fullscreen = window.open ? !window.place.fullscreen : 0; }
int  SysIsFullscreen() { return window.open && window.place.fullscreen; }

void SysSetWindowSize(int width, int height)
{
    window.place.width = width;
    window.place.height = height;
}

int SysGetWindowPlace(SysWindowPlace* place)
{
    *place = window.place;
    return window.open;
}

void SysSetWindowPlace(const SysWindowPlace& place)
{
    if (window.open)
        window.place = place;
}

int SysDisplayAreas(SysRect* areas, int max)
{
    if (max < 1)
        return 0;
    areas[0] = kDisplay;
    return 1;
}

// No GL here: the null graphics device draws nothing.
int  SysCreateGLContext() { return 0; }
void SysDestroyGLContext() {}
void SysBackendSwapBuffers() {}
int  SysBackendRefreshRate() { return 0; }
int  SysBackendSetVsync(int) { return 0; }

// The picture is as large as the window (fullscreen: the display), or the
// classic 640 x 480 without one.
void SysGetDrawableSize(int* width, int* height)
{
    *width = 640;
    *height = 480;
    if (!window.open)
        return;
    *width = window.place.fullscreen ? kDisplay.width : window.place.width;
    *height = window.place.fullscreen ? kDisplay.height : window.place.height;
}

int  SysBackendKeyDown(SysKey) { return 0; }
int  SysBackendWindowFocused() { return 1; }
void SysBackendPollEvents() {}

void SysBackendErrorBox(const char* textUtf8)
{
    fprintf(stderr, "Kestrune: %s\n", textUtf8);
}

int  SysBackendKeyCodeDown(int) { return 0; }
uint32_t SysBackendKeyPressCount(int) { return 0; }
void SysBackendSetMouseCaptured(int) {}
void SysBackendTakeMouseMotion(float* dx, float* dy) { *dx = *dy = 0; }

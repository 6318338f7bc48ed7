// The real platform: one SDL window with an OpenGL 3.3 core context.
#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "platform/sdl/pad_sdl.h"
#include "platform/sdl/quiet_sound.h"
#include "platform/sys_backend.h"

namespace {

// The letters, A to Z, each held by whichever physical key typed it.
const int kLetterCount = 26;

struct SdlState {
    SDL_Window* window;          // the game window, null before creation
    SDL_GLContext context;       // its GL context, null when none
    bool videoReady;             // SDL's video subsystem is up
    SDL_Scancode letterHeldBy[kLetterCount];   // key pressed for the letter, or UNKNOWN
    bool unfocused;              // the window system said the focus went elsewhere
    float mouseDx, mouseDy;      // relative motion since the last take, pixels
    uint32_t presses[KEYCODE_COUNT];   // key downs (not repeats) seen, by KeyCode
    uint32_t pressesLooked[KEYCODE_COUNT];   // presses[] when the game last looked at the key
    bool pressedUnseen[KEY_COUNT];   // went down since the game last looked at it
    int refreshHz;               // the window's display's rate; -1 until asked again
};
SdlState sdl;

// Keys the game reads by position, as SDL scancodes. X and Z are read by
// their letter instead (see TrackLetterKey); their entries are unused.
const SDL_Scancode keyScancodes[KEY_COUNT] = {
    SDL_SCANCODE_UP, SDL_SCANCODE_DOWN, SDL_SCANCODE_LEFT, SDL_SCANCODE_RIGHT,
    SDL_SCANCODE_LSHIFT, SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_SPACE,
    SDL_SCANCODE_F1, SDL_SCANCODE_F2, SDL_SCANCODE_F3, SDL_SCANCODE_F4,
    SDL_SCANCODE_F5, SDL_SCANCODE_F6,
    SDL_SCANCODE_F7, SDL_SCANCODE_F8, SDL_SCANCODE_F9,
};

// Letters follow the keyboard layout, as a Windows virtual key does: on a
// German keyboard Z is the key labelled Z, not the one in the US Z place.
// A letter is held by the physical key that typed it and released by that
// same key, so a layout switch while it is down cannot leave it stuck.
void TrackLetterKey(const SDL_KeyboardEvent& key)
{
    SDL_Keycode sym = key.keysym.sym;
    if (key.type == SDL_KEYDOWN && sym >= SDLK_a && sym <= SDLK_z) {
        sdl.letterHeldBy[sym - SDLK_a] = key.keysym.scancode;
        if (!key.repeat)
            sdl.presses[KEYCODE_A + (sym - SDLK_a)]++;
        return;
    }
    // Other keys count by position; a letter's key counts only as its letter.
    int code = int(key.keysym.scancode);
    bool letterPlace = code >= KEYCODE_A && code < KEYCODE_A + kLetterCount;
    if (key.type == SDL_KEYDOWN && !key.repeat && !letterPlace && code > 0 && code < KEYCODE_COUNT)
        sdl.presses[code]++;
    for (int i = 0; i < kLetterCount; i++)
        if (key.type == SDL_KEYUP && key.keysym.scancode == sdl.letterHeldBy[i])
            sdl.letterHeldBy[i] = SDL_SCANCODE_UNKNOWN;
}

// A press and its release can both arrive between two looks at the keys
// when a picture takes long (a big window on a slow renderer): the press is
// kept until the game has seen it once.
void NotePress(const SDL_KeyboardEvent& key)
{
    if (key.type != SDL_KEYDOWN || key.repeat)
        return;
    for (int k = 0; k < KEY_COUNT; k++)
        if (keyScancodes[k] == key.keysym.scancode && keyScancodes[k] != SDL_SCANCODE_UNKNOWN)
            sdl.pressedUnseen[k] = true;
    if (key.keysym.sym == SDLK_x)
        sdl.pressedUnseen[KEY_X] = true;
    if (key.keysym.sym == SDLK_z)
        sdl.pressedUnseen[KEY_Z] = true;
    if (key.keysym.scancode == SDL_SCANCODE_RSHIFT)
        sdl.pressedUnseen[KEY_SHIFT] = true;
}

void ReleaseLetterKeys()
{
    for (int i = 0; i < kLetterCount; i++)
        sdl.letterHeldBy[i] = SDL_SCANCODE_UNKNOWN;
    for (bool& pressed : sdl.pressedUnseen)
        pressed = false;
    for (int code = 0; code < KEYCODE_COUNT; code++)
        sdl.pressesLooked[code] = sdl.presses[code];
}

int LetterHeld(char letter)
{
    return sdl.letterHeldBy[letter - 'A'] != SDL_SCANCODE_UNKNOWN;
}

// Only the events count: a window under a bare X server never gets the focus
// announced, and must not be treated as sitting in the background.
void TrackFocus(const SDL_WindowEvent& window)
{
    if (window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
        sdl.unfocused = true;
        ReleaseLetterKeys();
    } else if (window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
        sdl.unfocused = false;
    }
}

bool VideoIsHeadless()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return !driver || strcmp(driver, "offscreen") == 0 || strcmp(driver, "dummy") == 0;
}

bool SocketExists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

// A Wayland compositor is reached through $WAYLAND_DISPLAY, or wayland-0 in
// $XDG_RUNTIME_DIR; asked without either, the Wayland library prints an
// error of its own, and with no socket there is nothing to connect to.
bool WaylandReachable()
{
    const char* name = getenv("WAYLAND_DISPLAY");
    if (!name || !name[0]) name = "wayland-0";
    if (name[0] == '/') return SocketExists(name);
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    return runtime && runtime[0] == '/' && SocketExists(std::string(runtime) + "/" + name);
}

// Every video driver SDL has that shows a window, in SDL's own order. Left to
// itself SDL ends the list with drivers that show nothing (offscreen, dummy),
// and a game started over ssh would then run unseen.
std::string VisibleDrivers()
{
    std::string list;
    for (int i = 0; i < SDL_GetNumVideoDrivers(); i++) {
        const char* name = SDL_GetVideoDriver(i);
        bool hidden = !strcmp(name, "offscreen") || !strcmp(name, "dummy") || !strcmp(name, "evdev");
        if (hidden || (!strcmp(name, "wayland") && !WaylandReachable())) continue;
        list += (list.empty() ? "" : ",") + std::string(name);
    }
    return list;
}

bool StartVideo()
{
    if (sdl.videoReady) return true;
    // Before anything in SDL can load the sound libraries.
    QuietSoundLibraries();
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
    sdl.videoReady = true;
    PadSdlStart();
    return true;
}

// F11, or Alt+Enter, as a fresh press.
bool IsFullscreenKey(const SDL_Event& event)
{
    if (event.type != SDL_KEYDOWN || event.key.repeat)
        return false;
    SDL_Scancode code = event.key.keysym.scancode;
    bool enter = code == SDL_SCANCODE_RETURN || code == SDL_SCANCODE_KP_ENTER;
    return code == SDL_SCANCODE_F11 || (enter && (event.key.keysym.mod & KMOD_ALT));
}

// The window's size and place before fullscreen: not every video driver
// gives them back by itself when fullscreen ends, and they are what is kept
// across runs.
struct WindowedPlace {
    int x, y;             // client area's top left last seen in the window
    int width, height;    // client size last seen in the window, 0 before any
};
WindowedPlace windowed;

void RememberWindowedPlace()
{
    SDL_GetWindowPosition(sdl.window, &windowed.x, &windowed.y);
    SDL_GetWindowSize(sdl.window, &windowed.width, &windowed.height);
}

// A display that does not say how fast it refreshes is taken as the usual 60 Hz.
int AskRefreshRate()
{
    SDL_DisplayMode mode;
    int display = SDL_GetWindowDisplayIndex(sdl.window);
    if (display < 0 || SDL_GetCurrentDisplayMode(display, &mode) != 0 || mode.refresh_rate <= 0)
        return 60;
    return mode.refresh_rate;
}

// Moving the window may put it on a display with another rate.
bool ChangesDisplay(const SDL_Event& event)
{
    if (event.type != SDL_WINDOWEVENT)
        return false;
    Uint8 what = event.window.event;
    return what == SDL_WINDOWEVENT_MOVED || what == SDL_WINDOWEVENT_DISPLAY_CHANGED ||
           what == SDL_WINDOWEVENT_SIZE_CHANGED;
}

}  // namespace

// Desktop fullscreen keeps the screen's own mode, so switching is instant and
// the present step letterboxes the 4:3 picture into whatever size results.
void SysToggleFullscreen()
{
    if (!sdl.window)
        return;
    bool full = SysIsFullscreen() == 0;
    if (full)
        RememberWindowedPlace();
    if (SDL_SetWindowFullscreen(sdl.window, full ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0)
        return;
    if (!full && windowed.width > 0) {
        SDL_SetWindowSize(sdl.window, windowed.width, windowed.height);
        SDL_SetWindowPosition(sdl.window, windowed.x, windowed.y);
    }
    SDL_ShowCursor(full ? SDL_DISABLE : SDL_ENABLE);
    sdl.refreshHz = -1;
}

int SysIsFullscreen()
{
    return sdl.window && (SDL_GetWindowFlags(sdl.window) & SDL_WINDOW_FULLSCREEN) ? 1 : 0;
}

// A driver named in SDL_VIDEODRIVER is the caller's choice, hidden or not.
int SysHasDisplay()
{
    const char* asked = getenv("SDL_VIDEODRIVER");
    if (asked && asked[0]) return 1;
    std::string drivers = VisibleDrivers();
    if (drivers.empty()) return 0;
    SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
    return StartVideo() ? 1 : 0;
}

int SysCreateWindow(const char* captionUtf8, int width, int height)
{
    if (!StartVideo()) {
        // No box can be shown without video; say why on the terminal.
        fprintf(stderr, "Kestrune: no display (%s)\n", SDL_GetError());
        return 0;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    // High-DPI: the drawable gets the screen's real pixels, which the
    // picture is drawn at.
    sdl.window = SDL_CreateWindow(captionUtf8, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                  width, height,
                                  SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_SHOWN |
                                  SDL_WINDOW_ALLOW_HIGHDPI);
    if (!sdl.window)
        fprintf(stderr, "Kestrune: cannot open the window (%s)\n", SDL_GetError());
    windowed = WindowedPlace{};
    sdl.refreshHz = -1;
    return sdl.window ? 1 : 0;
}

void SysSetWindowSize(int width, int height)
{
    if (sdl.window && !SysIsFullscreen())
        SDL_SetWindowSize(sdl.window, width, height);
}

int SysGetWindowPlace(SysWindowPlace* place)
{
    *place = SysWindowPlace{};
    if (!sdl.window)
        return 0;
    place->fullscreen = SysIsFullscreen();
    if (!place->fullscreen || windowed.width <= 0)
        RememberWindowedPlace();
    place->x = windowed.x;
    place->y = windowed.y;
    place->width = windowed.width;
    place->height = windowed.height;
    int display = SDL_GetWindowDisplayIndex(sdl.window);
    place->display = display > 0 ? display : 0;
    return 1;
}

// Placed windowed first, so desktop fullscreen then takes the display the
// window stands on.
void SysSetWindowPlace(const SysWindowPlace& place)
{
    if (!sdl.window)
        return;
    if (SysIsFullscreen())
        SysToggleFullscreen();
    SDL_SetWindowSize(sdl.window, place.width, place.height);
    SDL_SetWindowPosition(sdl.window, place.x, place.y);
    if (place.fullscreen)
        SysToggleFullscreen();
    sdl.refreshHz = -1;
}

int SysDisplayAreas(SysRect* areas, int max)
{
    if (!sdl.videoReady)
        return 0;
    int count = SDL_GetNumVideoDisplays();
    int n = 0;
    for (int i = 0; i < count && n < max; i++) {
        SDL_Rect r;
        if (SDL_GetDisplayUsableBounds(i, &r) != 0 && SDL_GetDisplayBounds(i, &r) != 0)
            break;   // the displays after it would take the wrong numbers
        areas[n++] = {r.x, r.y, r.w, r.h};
    }
    return n;
}

void SysDestroyWindow()
{
    SysDestroyGLContext();
    if (sdl.window)
        SDL_DestroyWindow(sdl.window);
    sdl.window = nullptr;
    if (sdl.videoReady) {
        PadSdlStop();
        SDL_Quit();
    }
    sdl.videoReady = false;
    sdl.unfocused = false;
    ReleaseLetterKeys();
}

int SysHasWindow()
{
    return sdl.window != nullptr;
}

void SysSetWindowCaption(const char* captionUtf8)
{
    if (sdl.window)
        SDL_SetWindowTitle(sdl.window, captionUtf8);
}

int SysCreateGLContext()
{
    if (!sdl.window)
        return 0;
    if (!sdl.context)
        sdl.context = SDL_GL_CreateContext(sdl.window);
    if (!sdl.context)
        return 0;
    SDL_GL_MakeCurrent(sdl.window, sdl.context);
    // No vsync until the game asks for it (SysSetVsync).
    SDL_GL_SetSwapInterval(0);
    return 1;
}

void SysDestroyGLContext()
{
    if (sdl.context)
        SDL_GL_DeleteContext(sdl.context);
    sdl.context = nullptr;
}

void SysBackendSwapBuffers()
{
    if (sdl.window && sdl.context)
        SDL_GL_SwapWindow(sdl.window);
}

// Adaptive vsync (a late picture is shown at once rather than a whole
// refresh later) where the driver has it, plain vsync otherwise.
int SysBackendSetVsync(int on)
{
    if (!sdl.context)
        return 0;
    if (on && (SDL_GL_SetSwapInterval(-1) == 0 || SDL_GL_SetSwapInterval(1) == 0))
        return 1;
    SDL_GL_SetSwapInterval(0);
    return 0;
}

int SysBackendRefreshRate()
{
    if (!sdl.window)
        return 0;
    if (sdl.refreshHz < 0)
        sdl.refreshHz = AskRefreshRate();
    return sdl.refreshHz;
}

void SysGetDrawableSize(int* width, int* height)
{
    *width = 640;
    *height = 480;
    if (sdl.window)
        SDL_GL_GetDrawableSize(sdl.window, width, height);
}

namespace {

bool KeyHeld(SysKey key)
{
    if (key == KEY_X || key == KEY_Z)
        return LetterHeld(key == KEY_X ? 'X' : 'Z');
    const Uint8* state = SDL_GetKeyboardState(nullptr);
    if (key == KEY_SHIFT)
        return state[SDL_SCANCODE_LSHIFT] || state[SDL_SCANCODE_RSHIFT];
    return state[keyScancodes[key]] != 0;
}

}  // namespace


// Key codes are the USB usages, which SDL's scancodes are too.
int SysBackendKeyCodeDown(int code)
{
    if (!sdl.videoReady)
        return 0;
    // Held now, or pressed and let go since the last look (seen once).
    bool unseen = sdl.presses[code] != sdl.pressesLooked[code];
    sdl.pressesLooked[code] = sdl.presses[code];
    if (code >= KEYCODE_A && code < KEYCODE_A + kLetterCount)
        return LetterHeld(char('A' + (code - KEYCODE_A))) || unseen;
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    return (code < count && state[code] != 0) || unseen;
}

uint32_t SysBackendKeyPressCount(int code)
{
    return sdl.presses[code];
}

void SysBackendSetMouseCaptured(int captured)
{
    if (sdl.videoReady)
        SDL_SetRelativeMouseMode(captured ? SDL_TRUE : SDL_FALSE);
}

void SysBackendTakeMouseMotion(float* dx, float* dy)
{
    *dx = sdl.mouseDx;
    *dy = sdl.mouseDy;
    sdl.mouseDx = sdl.mouseDy = 0;
}

// Held now, or pressed and let go since the last look (seen once).
int SysBackendKeyDown(SysKey key)
{
    if (!sdl.videoReady)
        return 0;
    bool unseen = sdl.pressedUnseen[key];
    sdl.pressedUnseen[key] = false;
    return KeyHeld(key) || unseen;
}

void SysBackendPollEvents()
{
    if (!sdl.videoReady)
        return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        bool closeRequest = event.type == SDL_QUIT ||
            (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE);
        if (closeRequest) {
            SysPostMessage(SYS_MSG_CLOSE, 0);
            return;  // hand the close to the loop before anything else
        }
        if (IsFullscreenKey(event))
            SysToggleFullscreen();
        if (ChangesDisplay(event))
            sdl.refreshHz = -1;
        if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) {
            TrackLetterKey(event.key);
            NotePress(event.key);
        } else if (event.type == SDL_MOUSEMOTION && SDL_GetRelativeMouseMode()) {
            sdl.mouseDx += float(event.motion.xrel);
            sdl.mouseDy += float(event.motion.yrel);
        } else if (event.type == SDL_WINDOWEVENT) {
            TrackFocus(event.window);
        }
    }
}

int SysBackendWindowFocused()
{
    return sdl.window && sdl.unfocused ? 0 : 1;
}

void SysBackendErrorBox(const char* textUtf8)
{
    // Headless there is nobody to click OK: say it on standard error instead.
    if (!sdl.videoReady || VideoIsHeadless() ||
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Kestrune", textUtf8, sdl.window) != 0)
        fprintf(stderr, "Kestrune: %s\n", textUtf8);
}

// Game pads through SDL's game controller layer: the first attached pad,
// followed across hot-plugs, with its accelerometer switched on when it has
// one.
#include <SDL.h>
#include <atomic>
#include <cstring>

#include "platform/pad.h"
#include "platform/sdl/pad_sdl.h"

namespace {

struct SdlPad {
    SDL_GameController* controller;    // the pad in use, null when none
    bool ready;                        // SDL's controller subsystem is up
    bool hasMotion;                    // its accelerometer is switched on
    char guid[33];                     // its make and model, read when opened
    std::atomic<bool> devicesChanged;  // set by the event watch, read here
    Uint32 lastUpdate;                 // SDL tick of the last pad update
    bool overridden;                   // a test's pad replaces the real one
    PadState testPad;                  // that pad
};
SdlPad sdlPad;

// SDL calls this from whichever thread pushes an event, so it only raises
// a flag; the pads are looked at again on the main thread.
int WatchDevices(void*, SDL_Event* event)
{
    switch (event->type) {
    case SDL_JOYDEVICEADDED:
    case SDL_JOYDEVICEREMOVED:
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
        sdlPad.devicesChanged = true;
        break;
    default:
        break;
    }
    return 1;
}

void ClosePad()
{
    if (sdlPad.controller)
        SDL_GameControllerClose(sdlPad.controller);
    sdlPad.controller = nullptr;
    sdlPad.hasMotion = false;
}

void OpenFirstPad()
{
    int count = SDL_NumJoysticks();
    for (int i = 0; i < count && !sdlPad.controller; i++) {
        if (SDL_IsGameController(i))
            sdlPad.controller = SDL_GameControllerOpen(i);
    }
    SDL_GameController* c = sdlPad.controller;
    sdlPad.hasMotion = c && SDL_GameControllerHasSensor(c, SDL_SENSOR_ACCEL) &&
        SDL_GameControllerSetSensorEnabled(c, SDL_SENSOR_ACCEL, SDL_TRUE) == 0;
    sdlPad.guid[0] = '\0';
    if (c)
        SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(SDL_GameControllerGetJoystick(c)),
                                  sdlPad.guid, sizeof sdlPad.guid);
}

// Brings the pads' state up to date, drops a pad that was pulled out and,
// after any plug or unplug, takes the first attached pad when none is in
// use. Between hot-plugs this allocates nothing.
void FollowHotPlug()
{
    // Left to itself SDL polls the pads' devices on every event pump, and the
    // loop pumps many times a millisecond while it waits for a frame; once a
    // millisecond is plenty for pads that report every 1 to 16 ms.
    Uint32 now = SDL_GetTicks();
    if (now != sdlPad.lastUpdate) {
        SDL_GameControllerUpdate();
        sdlPad.lastUpdate = now;
    }
    if (sdlPad.controller && !SDL_GameControllerGetAttached(sdlPad.controller))
        ClosePad();
    if (sdlPad.devicesChanged.exchange(false) && !sdlPad.controller)
        OpenFirstPad();
}

float Axis(SDL_GameControllerAxis axis)
{
    float v = SDL_GameControllerGetAxis(sdlPad.controller, axis) / 32767.0f;
    return v < -1 ? -1 : v;
}

uint32_t Buttons()
{
    static const struct { SDL_GameControllerButton button; uint32_t bit; } map[] = {
        {SDL_CONTROLLER_BUTTON_A, PAD_SOUTH},
        {SDL_CONTROLLER_BUTTON_B, PAD_EAST},
        {SDL_CONTROLLER_BUTTON_Y, PAD_NORTH},
        {SDL_CONTROLLER_BUTTON_START, PAD_START},
        {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, PAD_LEFT_SHOULDER},
        {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, PAD_RIGHT_SHOULDER},
        {SDL_CONTROLLER_BUTTON_X, PAD_WEST},
        {SDL_CONTROLLER_BUTTON_BACK, PAD_BACK},
        {SDL_CONTROLLER_BUTTON_LEFTSTICK, PAD_LEFT_STICK},
        {SDL_CONTROLLER_BUTTON_RIGHTSTICK, PAD_RIGHT_STICK},
        {SDL_CONTROLLER_BUTTON_DPAD_UP, PAD_DPAD_UP},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, PAD_DPAD_DOWN},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, PAD_DPAD_LEFT},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, PAD_DPAD_RIGHT},
    };
    uint32_t bits = 0;
    for (const auto& m : map)
        if (SDL_GameControllerGetButton(sdlPad.controller, m.button))
            bits |= m.bit;
    return bits;
}

void ReadAccelerometer(PadState* pad)
{
    float ms2[3] = {0, 0, 0};
    if (SDL_GameControllerGetSensorData(sdlPad.controller, SDL_SENSOR_ACCEL, ms2, 3) != 0)
        return;
    pad->hasMotion = 1;
    for (int i = 0; i < 3; i++)
        pad->accel[i] = ms2[i] / SDL_STANDARD_GRAVITY;
}

}  // namespace

void PadSdlStart()
{
    if (sdlPad.ready)
        return;
    // Buttons by position: the south button confirms on every make of pad.
    SDL_SetHint(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0");
    SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "0");   // PadRead updates them
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
        return;
    sdlPad.ready = true;
    SDL_AddEventWatch(WatchDevices, nullptr);
    // Pads already attached at start-up count as just plugged in.
    sdlPad.devicesChanged = true;
}

void PadSdlStop()
{
    if (!sdlPad.ready)
        return;
    ClosePad();
    SDL_DelEventWatch(WatchDevices, nullptr);
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    sdlPad.ready = false;
    sdlPad.devicesChanged = false;
}

void PadRead(PadState* pad)
{
    if (sdlPad.overridden) {
        *pad = sdlPad.testPad.attached ? sdlPad.testPad : PadState{};
        return;
    }
    *pad = PadState{};
    if (!sdlPad.ready)
        return;
    FollowHotPlug();
    if (!sdlPad.controller)
        return;
    pad->attached = 1;
    pad->stickX = Axis(SDL_CONTROLLER_AXIS_LEFTX);
    pad->stickY = Axis(SDL_CONTROLLER_AXIS_LEFTY);
    pad->buttons = Buttons();
    memcpy(pad->guid, sdlPad.guid, sizeof pad->guid);
    if (sdlPad.hasMotion)
        ReadAccelerometer(pad);
}

int PadSupported()
{
    return sdlPad.ready ? 1 : 0;
}

void PadSetForTests(const PadState* pad)
{
    sdlPad.overridden = pad != nullptr;
    sdlPad.testPad = pad ? *pad : PadState{};
}

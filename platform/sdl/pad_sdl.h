// What the SDL window code calls to bring pad support up and down with SDL
// itself. Not for game code: that reads platform/pad.h.
#pragma once

// After SDL_Init: starts SDL's controller support and the hot-plug watch.
// A machine without it simply has no pads.
void PadSdlStart();
// Before SDL_Quit: closes the pad in use and stops controller support.
void PadSdlStop();

// The graphics device: created once for the window, with the states, light,
// materials and shared geometry every drawing part uses, and the frame bracket.
#pragma once

int  InitRenderer();      // 1 ok, 0 when no device can be made
void ReleaseRenderer();
void BeginScene();        // begin the frame and clear to 0xFF404040, depth 1.0
void PresentScene();      // end the frame and show it; failures are ignored

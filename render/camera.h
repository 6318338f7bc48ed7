// The cameras of the race and of the intro fly-over.
#pragma once
#include "core/xmath.h"

void SetRaceCamera();
void SetIntroCamera();

// Where each camera stands this frame and what it looks at; the two above
// set the device's view from these.
struct CameraPose {
    Vec3 eye;
    Vec3 target;
};
CameraPose RaceCameraPose();
CameraPose IntroCameraPose();
// The device's view from a pose (a picture between two logic steps blends
// the steps' poses).
void SetCameraView(const CameraPose& pose);

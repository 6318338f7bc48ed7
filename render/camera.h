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
// The race camera as SetRaceCamera places it this frame: RaceCameraPose,
// with reduced motion its height eased after the ball's from frame to frame
// (each call is a frame). The countdown and the intro start it afresh.
CameraPose FollowRaceCamera();
// The device's view from a pose (a picture between two logic steps blends
// the steps' poses).
void SetCameraView(const CameraPose& pose);

// The two cameras that follow the ball: the race camera, fixed behind and
// above it, and the intro fly-over that circles in and ends exactly where the
// race camera starts, so the hand-over to the countdown shows no jump.
#include "render/camera.h"

#include "core/game.h"
#include "physics/physics.h"
#include "render/device.h"

namespace {

const float kPi = 3.1415925f;
const float kIntroFrames = 180.0f;

Vec3 BallPosition()
{
    return {ballMatrix.m[3][0], ballMatrix.m[3][1], ballMatrix.m[3][2]};
}

// Read every frame, so F5/F6 and the options screen show on the next frame.
float SelectedLength()
{
    return game.settings.cameraLength[game.settings.cameraLengthSel];
}

float SelectedPitch()
{
    return game.settings.cameraPitch[game.settings.cameraPitchSel];
}

CameraPose Around(const Vec3& target, const Vec3& offset, const Matrix& turn)
{
    Vec3 turned;
    Vec3TransformCoord(&turned, &offset, &turn);
    return {{target.x + turned.x, target.y + turned.y, target.z + turned.z}, target};
}

}  // namespace

CameraPose RaceCameraPose()
{
    Vec3 target = BallPosition();
    // A ball dropping off the course leaves the camera at the rim, looking
    // down after it, instead of following it into the void.
    float lowest = -SelectedBallType().size;
    if (target.y < lowest)
        target.y = lowest;
    Matrix pitch;
    MatrixRotationX(&pitch, -SelectedPitch());
    return Around(target, {0, 0, SelectedLength()}, pitch);
}

CameraPose IntroCameraPose()
{
    float t = loop.introFrames / kIntroFrames;
    Matrix turn;
    MatrixRotationYawPitchRoll(&turn, 2 * kPi * t, -SelectedPitch() * (1 - t), 0);
    return Around(BallPosition(), {0, 0, SelectedLength() + 500 * t}, turn);
}

void SetCameraView(const CameraPose& pose)
{
    Vec3 up = {0, 1, 0};
    Matrix view;
    MatrixLookAtLH(&view, &pose.eye, &pose.target, &up);
    SetTransform(TS_VIEW, &view);
}

void SetRaceCamera()
{
    SetCameraView(RaceCameraPose());
}

void SetIntroCamera()
{
    SetCameraView(IntroCameraPose());
}

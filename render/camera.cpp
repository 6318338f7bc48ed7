// The two cameras that follow the ball: the race camera, fixed behind and
// above it, and the intro fly-over that circles in and ends exactly where the
// race camera starts, so the hand-over to the countdown shows no jump.
#include "render/camera.h"

#include <cmath>

#include "core/game.h"
#include "data/extras.h"
#include "physics/physics.h"
#include "render/device.h"

namespace {

const float kPi = 3.1415925f;
const float kIntroFrames = 180.0f;
// With reduced motion the race camera rises and falls with the ball through
// this time constant, in frames, so bumps and bounces do not shake the view.
const float kSteadyFrames = 12.0f;

// The steady camera's height, followed from frame to frame.
struct SteadyCamera {
    float height;   // the height the camera looks at
    bool valid;     // height follows a race under way; false snaps to the ball
};
SteadyCamera steady;

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

// Only the height is eased: across the course the camera keeps the ball
// where the player expects it.
CameraPose SteadyPose(CameraPose pose)
{
    float ballHeight = pose.target.y;
    if (!steady.valid)
        steady.height = ballHeight;
    steady.height += (ballHeight - steady.height) * (1 - std::exp(-1 / kSteadyFrames));
    steady.valid = true;
    float lift = steady.height - ballHeight;
    pose.eye.y += lift;
    pose.target.y += lift;
    return pose;
}

CameraPose FollowRaceCamera()
{
    CameraPose pose = RaceCameraPose();
    if (extras.reducedMotion && game.state != STATE_COUNTDOWN)
        return SteadyPose(pose);
    steady.valid = false;
    return pose;
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
    SetCameraView(FollowRaceCamera());
}

void SetIntroCamera()
{
    steady.valid = false;
    SetCameraView(IntroCameraPose());
}

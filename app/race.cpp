// The Race block: while the ball touches the terrain or an obstacle, the
// tilt pushes it; the goal is tested and the lamps show the push direction.
#include <cmath>
#include "app/race.h"
#include "app/ghost.h"
#include "app/sound.h"
#include "data/course_list.h"
#include "data/save_files.h"
#include "physics/physics.h"
#include "screens/screens.h"
#include "sensor/board.h"

namespace {

// An upward push this strong is a jump (the keys' Z gives the jumping ball
// about 15); a board's reading trembling by a count or two is not.
const float kJumpPush = 3.0f;

int CurrentObstacleCount()
{
    int index = game.currentCourse;
    if (!courseList.courses || index < 0 || index >= courseList.courseCount)
        return 0;
    int count = 0;
    for (const ObstacleDef* o = courseList.courses[index].firstObstacle; o; o = o->next)
        count++;
    return count;
}

// The terrain first, then the obstacles in list order, up to the first touch.
bool BallTouchesAnything()
{
    if (TestBallContact(0))
        return true;
    int count = CurrentObstacleCount();
    for (int k = 0; k < count; k++)
        if (TestBallContact(2 + k))
            return true;
    return false;
}

Vec3 SteeringImpulse(const TiltVector& tilt, const TiltVector& previous)
{
    const BallType& ball = SelectedBallType();
    float scale = 1.0f / 32.0f;
    Vec3 f = { tilt.x * scale * ball.speed, tilt.y * scale * ball.speed, tilt.z * scale * ball.speed };
    if (ball.brakeGain != 0) {
        Vec3 v = { 0, 0, 0 };
        GetBallVelocity(&v);
        f.x -= ball.brakeGain * v.x;
        f.y -= ball.brakeGain * v.y;
        f.z -= ball.brakeGain * v.z;
    }
    // Only a falling vertical reading lifts the ball, so holding a key
    // (or a steady board) gives no vertical push at all.
    if (ball.jumpGain != 0) {
        float d = previous.y - tilt.y;
        if (d >= 0)
            f.y = ball.jumpGain * d;
    }
    return f;
}

// Two units per 45 degrees, from -8 to 8; both ends (straight along -x) light
// all four lamps.
int LedPatternForPush(float fx, float fz)
{
    float a = std::atan2(fz, fx);
    float r = a / 3.1415925f * 8;
    switch ((int)r) {
    case -7: return 12;
    case -6: case -5: return 8;
    case -4: case -3: return 9;
    case -2: case -1: return 1;
    case 0: case 1: return 3;
    case 2: case 3: return 2;
    case 4: case 5: return 6;
    case 6: case 7: return 4;
    default: return 15;
    }
}

}  // namespace

void UpdateRace(const TiltVector& tilt, const TiltVector& previous)
{
    int grounded = BallTouchesAnything() ? 1 : 0;
    if (!grounded) {
        SetLedPattern(0);
    } else {
        Vec3 f = SteeringImpulse(tilt, previous);
        PushBall(f, Vec3{ 0, 0, 0 });
        if (SelectedBallType().jumpGain != 0 && f.y >= kJumpPush)
            PlayJumpSound();
        if (IsBallInGoal()) {
            EnterGoal();
            RaiseBoardCue(CueGo);
        }
        SetLedPattern(LedPatternForPush(f.x, f.z));
    }
    // The speakers have the landing's own sound (app/sound.cpp).
    if (grounded && !loop.previousGrounded)
        RaiseBoardCue(CueTick);
    loop.previousGrounded = grounded;
}

void EnterGoal()
{
    game.state = STATE_GOAL;
    loop.goalFrames = 120;
    bool newRecord = KeepBestTime() != 0;
    if (newRecord)
        KeepGhostRun();
    PlayGoalSounds(newRecord);
}

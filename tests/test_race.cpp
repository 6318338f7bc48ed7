// The Race block with the real Bullet: contact scan, push, brake, jump,
// goal, lamps and the landing cue.
#include <gtest/gtest.h>
#include <vector>
#include "core/game.h"
#include "app/race.h"
#include "app/tilt.h"
#include "physics/physics.h"
#include "platform/sys.h"
#include "sensor/board_local.h"
#include "support/physics_support.h"

namespace {

bool keys[KEY_COUNT];
int KeyDown(SysKey key) { return keys[key]; }

class Race : public ::testing::Test {
protected:
    void SetUp() override
    {
        game = {};
        loop = {};
        loop.previousGrounded = 1;
        game.state = STATE_RACE;
        SetBallType(3, 2, 0);
        for (bool& k : keys)
            k = false;
        SysHooks hooks = {};
        hooks.keyDown = KeyDown;
        SysSetHooks(&hooks);
        ResetBoard();
        CreatePhysicsWorld();
        courses.resize(1);
        courses[0].def.GRID_SIZE = 5;
        courses[0].def.bestTimeMs = 1;     // never beaten: no record.sav is written
        InstallCourses(&courses);
    }
    void TearDown() override
    {
        DestroyPhysicsWorld();
        SysSetHooks(nullptr);
        courseList = {};
    }
    static void ResetBoard()
    {
        boardLink.ledPattern = 99;
        boardLink.ledChanged = 0;
        boardLink.soundPending = 0;
        boardLink.soundWordA = 0;
        boardLink.soundWordB = 0;
    }
    // Flat terrain 21 x 21 points of 5 (W = H = 105), no gravity, ball at (x, y, z).
    void Course(float x, float y, float z)
    {
        BuildTerrainCollision(MakeFlatGrid(21, 21, 5), 0);
        AddCourseBody(BODY_SPHERE, x, y, z, 3, 3, 3, SelectedBallType().weight, 0, 0, 0, 0);
        SetCourseGravity(0);
        SyncCourseTransforms();
    }
    TiltVector Keys(std::vector<SysKey> down)
    {
        for (bool& k : keys)
            k = false;
        for (SysKey k : down)
            keys[k] = true;
        TiltVector t = {};
        SampleTilt(&t);
        return t;
    }
    static Vec3 Velocity()
    {
        Vec3 v = { 0, 0, 0 };
        GetBallVelocity(&v);
        return v;
    }
    std::vector<TestCourse> courses;
};

TiltVector Tilt(float x, float y, float z)
{
    TiltVector t = {};
    t.x = x; t.y = y; t.z = z;
    return t;
}

// The lamps follow the push: RIGHT 15, LEFT 3, DOWN 6, UP 9.
TEST_F(Race, KeyboardLampPatterns)
{
    Course(0, 3, 0);
    struct { SysKey key; int pattern; } rows[] = {
        { KEY_RIGHT, 15 }, { KEY_LEFT, 3 }, { KEY_DOWN, 6 }, { KEY_UP, 9 },
    };
    for (auto row : rows) {
        TiltVector t = Keys({ row.key });
        UpdateRace(t, t);
        EXPECT_EQ(row.pattern, boardLink.ledPattern.load()) << row.key;
        EXPECT_EQ(1, boardLink.ledChanged.load());
    }
}

// Diagonals and the in-between directions light the neighbouring lamp pairs.
TEST_F(Race, DiagonalLampPatterns)
{
    Course(0, 3, 0);
    struct { float x, z; int pattern; } rows[] = {
        { 10, 10, 2 }, { -10, 10, 4 }, { -10, -10, 8 }, { 10, -10, 1 },
        { -20, -1, 12 }, { -20, 1, 4 }, { 20, 1, 3 },
    };
    for (auto row : rows) {
        UpdateRace(Tilt(row.x, 0, row.z), Tilt(row.x, 0, row.z));
        EXPECT_EQ(row.pattern, boardLink.ledPattern.load()) << row.x << "," << row.z;
    }
}

// A grounded ball is pushed by tilt / 32 * speed, its velocity changing by impulse / mass.
TEST_F(Race, PushScalesTheTilt)
{
    Course(0, 3, 0);
    TiltVector t = Tilt(-20, 10, 8);
    UpdateRace(t, t);
    Vec3 v = Velocity();
    EXPECT_FLOAT_EQ(-20.0f / 32 * 0.5f / 2, v.x);
    EXPECT_FLOAT_EQ(10.0f / 32 * 0.5f / 2, v.y);
    EXPECT_FLOAT_EQ(8.0f / 32 * 0.5f / 2, v.z);
}

// In the air: no push, dark lamps, and no goal even over the goal area.
TEST_F(Race, AirborneBallIsNotSteered)
{
    courses[0].def.GOAL[2] = 1;
    courses[0].def.GOAL[3] = 1;            // the whole course
    InstallCourses(&courses);
    Course(0, 3.2f, 0);
    UpdateRace(Tilt(-20, 10, 0), Tilt(-20, 10, 0));
    Vec3 v = Velocity();
    EXPECT_EQ(0.0f, v.x);
    EXPECT_EQ(0.0f, v.y);
    EXPECT_EQ(0, boardLink.ledPattern.load());
    EXPECT_EQ(STATE_RACE, game.state);
    EXPECT_EQ(0, loop.previousGrounded);
}

// Touching an obstacle counts as grounded too.
TEST_F(Race, ObstacleContactSteers)
{
    courses[0].obstacles.resize(2);
    InstallCourses(&courses);
    Course(0, 50, 0);
    AddCourseBody(BODY_BOX, 40, 40, 0, 1, 1, 1, 0, 0, 0, 0, 0);
    AddCourseBody(BODY_BOX, 0, 46, 0, 1, 1, 1, 0, 0, 0, 0, 0);    // top at 47, ball bottom at 47
    UpdateRace(Tilt(20, 0, 0), Tilt(20, 0, 0));
    EXPECT_GT(Velocity().x, 0.0f);
    EXPECT_EQ(3, boardLink.ledPattern.load());
}

// Jump: Z gives one frame of 42 x gain upward, holding gives none, release the plain push.
TEST_F(Race, JumpTerm)
{
    game.settings.ballTypes[0].jumpGain = 0.25f;
    Course(0, 3, 0);
    TiltVector idle = Keys({});
    TiltVector z = Keys({ KEY_Z });
    UpdateRace(z, idle);
    EXPECT_FLOAT_EQ(42 * 0.25f / 2, Velocity().y);
    float before = Velocity().y;
    UpdateRace(z, z);
    EXPECT_FLOAT_EQ(before, Velocity().y);           // d = 0: no vertical push
    UpdateRace(idle, z);
    EXPECT_FLOAT_EQ(before + 10.0f / 32 * 0.5f / 2, Velocity().y);
}

// Without a jump gain, Z only changes the push through y * speed / 32.
TEST_F(Race, NoJumpGainUsesScaledY)
{
    Course(0, 3, 0);
    TiltVector z = Keys({ KEY_Z });
    UpdateRace(z, Keys({}));
    EXPECT_FLOAT_EQ(-32.0f / 32 * 0.5f / 2, Velocity().y);
}

// Brake: the push loses gain x the ball's velocity.
TEST_F(Race, BrakeOpposesVelocity)
{
    game.settings.ballTypes[0].brakeGain = 0.5f;
    Course(0, 3, 0);
    PushBall({ 8, 0, 0 }, { 0, 0, 0 });            // v.x = 4
    UpdateRace(Tilt(0, 0, 0), Tilt(0, 0, 0));
    EXPECT_FLOAT_EQ(4 + (-0.5f * 4) / 2, Velocity().x);
}

// Reaching the goal while touching: Goal state, 120 frames, CueGo.
TEST_F(Race, GoalReached)
{
    courses[0].def.GOAL[0] = 0.4f;
    courses[0].def.GOAL[1] = 0.4f;
    courses[0].def.GOAL[2] = 0.6f;
    courses[0].def.GOAL[3] = 0.6f;
    InstallCourses(&courses);
    loop.raceTimeMs = 5000;
    Course(0, 3, 0);
    UpdateRace(Tilt(0, 10, 0), Tilt(0, 10, 0));
    EXPECT_EQ(STATE_GOAL, game.state);
    EXPECT_EQ(120, loop.goalFrames);
    EXPECT_EQ(1, boardLink.soundPending.load());
    EXPECT_EQ(0x1800, boardLink.soundWordA.load());
    EXPECT_EQ(24, boardLink.soundWordB.load());
    EXPECT_EQ(1u, courseList.courses[0].bestTimeMs);    // not better: kept
}

// Outside the goal nothing happens.
TEST_F(Race, GoalMissed)
{
    courses[0].def.GOAL[0] = 0.4f;
    courses[0].def.GOAL[1] = 0.4f;
    courses[0].def.GOAL[2] = 0.6f;
    courses[0].def.GOAL[3] = 0.6f;
    InstallCourses(&courses);
    Course(30, 3, 0);
    UpdateRace(Tilt(0, 10, 0), Tilt(0, 10, 0));
    EXPECT_EQ(STATE_RACE, game.state);
    EXPECT_EQ(0, boardLink.soundPending.load());
}

// Landing after an airborne frame raises CueTick once.
TEST_F(Race, LandingCue)
{
    Course(0, 3, 0);
    loop.previousGrounded = 0;
    UpdateRace(Tilt(0, 10, 0), Tilt(0, 10, 0));
    EXPECT_EQ(1, boardLink.soundPending.load());
    EXPECT_EQ(0x9000, boardLink.soundWordA.load());
    EXPECT_EQ(1, boardLink.soundWordB.load());
    EXPECT_EQ(1, loop.previousGrounded);
    ResetBoard();
    UpdateRace(Tilt(0, 10, 0), Tilt(0, 10, 0));
    EXPECT_EQ(0, boardLink.soundPending.load());
}

}  // namespace

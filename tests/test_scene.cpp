// Cameras, ground rays and the scene's scaled matrices, on the null device.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/game.h"
#include "data/extras.h"
#include "physics/physics.h"
#include "render/camera.h"
#include "render/device.h"
#include "render/scene.h"
#include "support/physics_support.h"

namespace {

const float kPitch48 = 0.8377580642700195f;

float Distance(const Vec3& a, const Vec3& b)
{
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) +
                     (a.z - b.z) * (a.z - b.z));
}

class CameraTest : public testing::Test {
protected:
    void SetUp() override
    {
        game = {};
        loop = {};
        SetBallType(3, 1, 0.5f);
        for (int k = 0; k < 3; k++) {
            game.settings.cameraLength[k] = 96;
            game.settings.cameraPitch[k] = kPitch48;
        }
        MatrixTranslation(&ballMatrix, 10, 5, -20);
    }
};

}  // namespace

// The race camera sits 71.34 above and 64.24 behind (+z) the ball, and the
// preset chosen by F5 shows on the next call.
TEST_F(CameraTest, RaceCameraStandsBehindAndAboveTheBall)
{
    CameraPose pose = RaceCameraPose();
    EXPECT_NEAR(pose.eye.x, 10.0f, 1e-4f);
    EXPECT_NEAR(pose.eye.y, 5.0f + 71.34f, 0.01f);
    EXPECT_NEAR(pose.eye.z, -20.0f + 64.24f, 0.01f);
    EXPECT_FLOAT_EQ(pose.target.y, 5.0f);
    game.settings.cameraLength[1] = 50;
    game.settings.cameraLengthSel = 1;
    EXPECT_NEAR(Distance(RaceCameraPose().eye, RaceCameraPose().target), 50.0f, 1e-3f);
}

// Below the course the camera stops descending at -r; above it, it follows.
TEST_F(CameraTest, RaceCameraStopsAtTheLowerLimit)
{
    MatrixTranslation(&ballMatrix, 0, 0, 0);
    EXPECT_FLOAT_EQ(RaceCameraPose().target.y, 0.0f);
    MatrixTranslation(&ballMatrix, 0, -15, 0);
    CameraPose pose = RaceCameraPose();
    EXPECT_FLOAT_EQ(pose.target.y, -3.0f);
    EXPECT_NEAR(pose.eye.y, -3.0f + 71.34f, 0.01f);
    // The intro has no limit.
    EXPECT_FLOAT_EQ(IntroCameraPose().target.y, -15.0f);
}

// With reduced motion a bounce of the ball lifts the camera by a twelfth or
// so at first and all but a hundredth of the way within a second; across the course it
// follows at once; without it, the camera is the race camera exactly.
TEST_F(CameraTest, ReducedMotionEasesTheHeightOnly)
{
    extras.reducedMotion = 1;
    game.state = STATE_COUNTDOWN;            // starts the easing afresh
    FollowRaceCamera();
    game.state = STATE_RACE;
    FollowRaceCamera();                      // the race's first frame: at the ball
    MatrixTranslation(&ballMatrix, 14, 15, -20);
    CameraPose eased = FollowRaceCamera();
    EXPECT_NEAR(eased.target.y, 5 + 10 * (1 - std::exp(-1 / 12.0f)), 1e-3f);
    EXPECT_FLOAT_EQ(eased.target.x, 14.0f);
    EXPECT_NEAR(eased.eye.y - eased.target.y, 71.34f, 0.01f);
    for (int k = 0; k < 62; k++)
        eased = FollowRaceCamera();
    EXPECT_NEAR(eased.target.y, 15.0f, 0.1f);
    extras.reducedMotion = 0;
    MatrixTranslation(&ballMatrix, 14, 5, -20);
    CameraPose exact = FollowRaceCamera(), race = RaceCameraPose();
    EXPECT_EQ(exact.eye.y, race.eye.y);
    EXPECT_EQ(exact.target.y, race.target.y);
}

// First frame: far and almost level; half-way: half a turn round (in front
// of the ball, -z), L + 250 away, at half the pitch; last: the race camera.
TEST_F(CameraTest, IntroFliesInAndHandsOverWithoutAJump)
{
    Vec3 ball = {10, 5, -20};
    loop.introFrames = 179;
    CameraPose first = IntroCameraPose();
    EXPECT_NEAR(Distance(first.eye, ball), 96 + 500 * 179 / 180.0f, 0.01f);
    EXPECT_LT(first.eye.y - ball.y, 3.0f);
    EXPECT_GT(first.eye.z - ball.z, 590.0f);

    loop.introFrames = 90;
    CameraPose half = IntroCameraPose();
    float d = 96 + 250;
    EXPECT_NEAR(Distance(half.eye, ball), d, 0.01f);
    EXPECT_NEAR(half.eye.y - ball.y, d * std::sin(kPitch48 / 2), 0.01f);
    EXPECT_NEAR(half.eye.z - ball.z, -d * std::cos(kPitch48 / 2), 0.05f);
    EXPECT_NEAR(half.eye.x - ball.x, 0.0f, 0.05f);

    loop.introFrames = 0;
    CameraPose last = IntroCameraPose(), race = RaceCameraPose();
    EXPECT_NEAR(last.eye.x, race.eye.x, 1e-4f);
    EXPECT_NEAR(last.eye.y, race.eye.y, 1e-4f);
    EXPECT_NEAR(last.eye.z, race.eye.z, 1e-4f);
}

// ---------------------------------------------------------------------------
// Ground rays: a 21 x 21 flat terrain (x, z in -42 ... 38), the ball at
// (0, 10, 0) radius 3, and whatever obstacles a case adds.

namespace {

class GroundRayTest : public testing::Test {
protected:
    void SetUp() override
    {
        CreatePhysicsWorld();
        BuildTerrainCollision(MakeFlatGrid(21, 21, 4), 0.5f);
        AddBody(BODY_SPHERE, {0, 10, 0}, {3, 3, 3});
    }
    void TearDown() override { DestroyPhysicsWorld(); }

    void AddBody(int shape, Vec3 at, Vec3 size)
    {
        AddCourseBody(shape, at.x, at.y, at.z, size.x, size.y, size.z, 0, 0.5f, 0, 0, 0);
    }
    // From a point along the light (0.2, -1, 0.2), as the shadows cast.
    bool Cast(Vec3 from, int exclude)
    {
        Vec3 light = {0.2f, -1, 0.2f};
        Vec3Normalize(&light, &light);
        Vec3 to = {from.x + 1000 * light.x, from.y + 1000 * light.y, from.z + 1000 * light.z};
        return CastGroundRay(&hit, exclude, from, to, &normal);
    }
    Vec3 hit = {7, 7, 7}, normal = {7, 7, 7};
};

}  // namespace

// Under the ball the terrain is met along the light, with its up normal; an
// obstacle in between is met first.
TEST_F(GroundRayTest, FindsTheNearestSurfaceAlongTheLight)
{
    ASSERT_TRUE(Cast({0, 10, 0}, 1));
    EXPECT_NEAR(hit.y, 0.0f, 1e-3f);
    EXPECT_NEAR(hit.x, 2.0f, 1e-3f);
    EXPECT_NEAR(hit.z, 2.0f, 1e-3f);
    EXPECT_NEAR(normal.y, 1.0f, 1e-4f);

    // A box whose top (y = 5) the ray crosses at x = z = 1.
    AddBody(BODY_BOX, {1, 4, 1}, {2, 1, 2});
    ASSERT_TRUE(Cast({0, 10, 0}, 1));
    EXPECT_NEAR(hit.y, 5.0f, 1e-3f);
    EXPECT_NEAR(hit.x, 1.0f, 1e-3f);
    EXPECT_NEAR(normal.y, 1.0f, 1e-4f);
    // Excluding the box itself finds the terrain below it again.
    ASSERT_TRUE(Cast({1, 4, 1}, 2));
    EXPECT_NEAR(hit.y, 0.0f, 1e-3f);
}

// Over nothing there is no hit and the outputs keep their values; an
// exclusion past the last body excludes nothing, so the ball is met.
TEST_F(GroundRayTest, MissesBeyondTheEdgeAndExcludesOnlyRealBodies)
{
    EXPECT_FALSE(Cast({200, 10, 0}, 99));
    EXPECT_FLOAT_EQ(hit.x, 7.0f);
    EXPECT_FLOAT_EQ(normal.y, 7.0f);

    ASSERT_TRUE(Cast({-4, 30, -4}, 99));
    EXPECT_GT(hit.y, 10.0f) << "the ball's top, not the terrain";
    ASSERT_TRUE(Cast({-4, 30, -4}, 1));
    EXPECT_NEAR(hit.y, 0.0f, 1e-3f);
    EXPECT_TRUE(Cast({20, 30, 0}, 99));
    EXPECT_FALSE(Cast({20, 30, 0}, 0)) << "the terrain was excluded";
}

// The ball and the obstacles keep their scaled matrices for the shadow pass:
// size first, then the body's pose, so the position row stays as it was.
TEST(SceneMatrices, BallAndObstaclesAreScaledBeforeTheirPose)
{
    game = {};
    SetBallType(2, 1, 0.5f);
    ASSERT_EQ(InitRenderer(), 1);
    std::vector<TestCourse> courses(1);
    courses[0].obstacles.resize(3);
    const float sizes[3][3] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    for (int k = 0; k < 3; k++) {
        ObstacleDef& o = courses[0].obstacles[k];
        o.shape = k;   // box, sphere, pillar
        for (int c = 0; c < 3; c++)
            o.size[c] = sizes[k][c];
        MatrixRotationY(&o.world, 0.5f);
        o.world.m[3][0] = 10.0f * k;
    }
    InstallCourses(&courses);
    Matrix turn;
    MatrixRotationX(&ballMatrix, 0.3f);
    turn = ballMatrix;
    ballMatrix.m[3][1] = 7;
    DrawBallAndObstacles();
    for (int c = 0; c < 3; c++)
        EXPECT_FLOAT_EQ(ballMatrix.m[1][c], 2 * turn.m[1][c]);
    EXPECT_FLOAT_EQ(ballMatrix.m[3][1], 7.0f);

    const float expected[3][3] = {{1, 2, 3}, {4, 4, 4}, {7, 7, 8}};
    Matrix pose;
    MatrixRotationY(&pose, 0.5f);
    for (int k = 0; k < 3; k++) {
        const Matrix& w = courseList.courses[0].firstObstacle[k].world;
        for (int r = 0; r < 3; r++)
            EXPECT_FLOAT_EQ(w.m[r][0], expected[k][r] * pose.m[r][0]) << "obstacle " << k;
        EXPECT_FLOAT_EQ(w.m[3][0], 10.0f * k);
    }
    courseList = {};
}

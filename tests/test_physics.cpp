// The physics world with the real Bullet: terrain, bodies, contacts, goal
// and fall tests.
#include <gtest/gtest.h>
#include <cmath>
#include "core/game.h"
#include "physics/physics_local.h"
#include "support/physics_support.h"

namespace {

const float kPi = 3.14159265f;

class Physics : public ::testing::Test {
protected:
    void SetUp() override
    {
        game = {};
        SetBallType(3, 1, 0);
        CreatePhysicsWorld();
    }
    void TearDown() override
    {
        DestroyPhysicsWorld();
        courseList = {};      // the hand-made courses die with the test
    }

    // Flat terrain, the ball at (0, y, 0), and gravity preset g.
    void Course(float ballY, float g, float groundBound = 0)
    {
        ASSERT_EQ(1, BuildTerrainCollision(MakeFlatGrid(21, 21, 5), groundBound));
        const BallType& b = SelectedBallType();
        AddCourseBody(BODY_SPHERE, 0, ballY, 0, b.size, b.size, b.size, b.weight, b.bound, 0, 0, 0);
        SetCourseGravity(g);
        SyncCourseTransforms();
    }
    void Steps(int n)
    {
        for (int k = 0; k < n; k++)
            StepPhysicsWorld();
        SyncCourseTransforms();
    }
};

// A ball dropped on a flat terrain comes to rest at the height of its radius.
TEST_F(Physics, DroppedBallRestsAtItsRadius)
{
    Course(20, 1);
    Steps(240);
    EXPECT_NEAR(3.0f, BallPosition().y, 0.05f);
    EXPECT_NEAR(0.0f, BallPosition().x, 0.01f);
}

// Resting on the terrain is a touch; hanging 0.2 above it is not.
TEST_F(Physics, ContactGapRule)
{
    Course(20, 1);
    Steps(240);
    EXPECT_TRUE(TestBallContact(0));

    DestroyPhysicsWorld();
    CreatePhysicsWorld();
    Course(3.2f, 1);
    EXPECT_FALSE(TestBallContact(0));
}

// Against an obstacle the 0.1 gap decides: 0.05 away touches, 0.15 does not.
TEST_F(Physics, ObstacleContactGapRule)
{
    Course(20, 1);
    AddCourseBody(BODY_BOX, 20, 1, 0, 1, 1, 1, 0, 0, 0, 0, 0);
    btCollisionObject* ball = physics.dynamicsWorld->getCollisionObjectArray()[1];
    ball->getWorldTransform().setOrigin(btVector3(20 - 1 - 3 - 0.05f, 1, 0));
    EXPECT_TRUE(TestBallContact(2));
    ball->getWorldTransform().setOrigin(btVector3(20 - 1 - 3 - 0.15f, 1, 0));
    EXPECT_FALSE(TestBallContact(2));
    ball->getWorldTransform().setOrigin(btVector3(20 - 1 - 3 + 0.05f, 1, 0));
    EXPECT_TRUE(TestBallContact(2));
}

// A ball a hair above the terrain or a round obstacle still touches it; 0.15 away it does not.
TEST_F(Physics, SmallGapCountsAsTouch)
{
    Course(3, 0);
    AddCourseBody(BODY_SPHERE, 20, 3, 0, 1, 1, 1, 0, 0, 0, 0, 0);
    btCollisionObject* ball = physics.dynamicsWorld->getCollisionObjectArray()[1];
    ball->getWorldTransform().setOrigin(btVector3(0.3f, 3.05f, 0.7f));
    EXPECT_TRUE(TestBallContact(0));
    ball->getWorldTransform().setOrigin(btVector3(0.3f, 3.15f, 0.7f));
    EXPECT_FALSE(TestBallContact(0));
    ball->getWorldTransform().setOrigin(btVector3(20 - 1 - 3 - 0.05f, 3, 0));
    EXPECT_TRUE(TestBallContact(2));
    ball->getWorldTransform().setOrigin(btVector3(20 - 1 - 3 - 0.15f, 3, 0));
    EXPECT_FALSE(TestBallContact(2));
}

// Out-of-range objects and the ball itself are never reported as touching.
TEST_F(Physics, ContactWithMissingObjectIsFalse)
{
    EXPECT_FALSE(TestBallContact(0));
    ASSERT_EQ(1, BuildTerrainCollision(MakeFlatGrid(21, 21, 5), 0));
    EXPECT_FALSE(TestBallContact(0));     // terrain but no ball yet
    ClearCourseBodies();
    Course(3, 1);
    EXPECT_FALSE(TestBallContact(1));
    EXPECT_FALSE(TestBallContact(2));
    EXPECT_FALSE(TestBallContact(-1));
}

static float HighestAfterFirstLanding(float groundBound)
{
    SetBallType(3, 1, 1);
    BuildTerrainCollision(MakeFlatGrid(21, 21, 5), groundBound);
    AddCourseBody(BODY_SPHERE, 0, 15, 0, 3, 3, 3, 1, 1, 0, 0, 0);
    SetCourseGravity(1);
    bool landed = false;
    float highest = -1;
    for (int k = 0; k < 240; k++) {
        StepPhysicsWorld();
        SyncCourseTransforms();
        float y = BallPosition().y;
        if (!landed && y < 3.3f)
            landed = true;
        else if (landed && y > highest)
            highest = y;
    }
    return highest;
}

// Terrain bounce 0 stops every landing dead, whatever the ball's own bounce.
TEST_F(Physics, GroundBoundZeroNeverBounces)
{
    EXPECT_LT(HighestAfterFirstLanding(0), 3.3f);
    DestroyPhysicsWorld();
    CreatePhysicsWorld();
    EXPECT_GT(HighestAfterFirstLanding(1), 6.0f);     // the same drop with bounce does rise
}

// A ball of weight 0 is static: neither gravity nor a push moves it.
TEST_F(Physics, WeightlessBallNeverMoves)
{
    SetBallType(3, 0, 0);
    Course(30, 1);
    PushBall({ 50, 50, 50 }, { 0, 0, 0 });
    Steps(120);
    EXPECT_EQ(30.0f, BallPosition().y);
    EXPECT_EQ(0.0f, BallPosition().x);
}

// Without gravity the ball floats; a push changes its velocity at once by
// impulse / mass and the steps then carry it along.
TEST_F(Physics, PushWithoutGravity)
{
    SetBallType(3, 2, 0);
    Course(30, 0);
    Steps(30);
    EXPECT_EQ(30.0f, BallPosition().y);
    PushBall({ 4, 0, -2 }, { 0, 0, 0 });
    Vec3 v = { 9, 9, 9 };
    GetBallVelocity(&v);
    EXPECT_FLOAT_EQ(2.0f, v.x);
    EXPECT_FLOAT_EQ(0.0f, v.y);
    EXPECT_FLOAT_EQ(-1.0f, v.z);
    Steps(60);
    EXPECT_NEAR(2.0f, BallPosition().x, 1e-3f);
    EXPECT_NEAR(-1.0f, BallPosition().z, 1e-3f);
}

// Gravity is the preset times -58.5.
TEST_F(Physics, CourseGravityScale)
{
    SetCourseGravity(1.5f);
    EXPECT_FLOAT_EQ(-87.75f, physics.dynamicsWorld->getGravity().y());
    SetCourseGravity(0);
    EXPECT_EQ(0.0f, physics.dynamicsWorld->getGravity().y());
}

// An obstacle with weight drops when stepping starts; one of weight 0 hangs.
TEST_F(Physics, ObstacleWeightDecidesFalling)
{
    TestCourse course = {};
    course.obstacles.resize(2);
    std::vector<TestCourse> courses = { course };
    InstallCourses(&courses);
    Course(3, 1);
    AddCourseBody(BODY_BOX, 20, 30, 0, 1, 1, 1, 0, 0, 0, 0, 0);
    AddCourseBody(BODY_BOX, -20, 30, 0, 1, 1, 1, 5, 0, 0, 0, 0);
    SyncCourseTransforms();
    ObstacleDef& still = courses[0].obstacles[0];
    ObstacleDef& heavy = courses[0].obstacles[1];
    EXPECT_EQ(30.0f, heavy.world.m[3][1]);     // nothing moves before a step
    Steps(180);
    EXPECT_EQ(30.0f, still.world.m[3][1]);
    EXPECT_NEAR(1.0f, heavy.world.m[3][1], 0.05f);
}

// Clearing leaves an empty world; a second course is numbered from 0 again.
TEST_F(Physics, ClearLeavesOnlyTheNextCourse)
{
    Course(3, 1);
    AddCourseBody(BODY_BOX, 20, 3, 0, 1, 1, 1, 0, 0, 0, 0, 0);
    AddCourseBody(BODY_PILLAR, 20, 3, 0, 1, 1, 1, 0, 0, 0, 0, 0);
    EXPECT_EQ(4, PhysicsBodyCount());
    EXPECT_EQ(4, PhysicsShapeCount());
    ClearCourseBodies();
    EXPECT_EQ(0, PhysicsBodyCount());
    EXPECT_EQ(0, PhysicsShapeCount());
    EXPECT_EQ(nullptr, CurrentTerrainGrid().positions);
    EXPECT_EQ(nullptr, physics.terrainMesh);
    Course(3, 1);
    EXPECT_EQ(2, PhysicsBodyCount());
    EXPECT_EQ(2, PhysicsShapeCount());
    EXPECT_NE(nullptr, physics.terrainMesh);
    EXPECT_TRUE(physics.dynamicsWorld->getCollisionObjectArray()[0]->getCollisionShape()->isConcave());
}

// The terrain body is static and kinematic, bounce and friction as given.
TEST_F(Physics, TerrainBodySurface)
{
    Course(3, 1, 0.25f);
    btCollisionObject* terrain = physics.dynamicsWorld->getCollisionObjectArray()[0];
    EXPECT_TRUE(terrain->isStaticObject());
    EXPECT_TRUE(terrain->getCollisionFlags() & btCollisionObject::CF_KINEMATIC_OBJECT);
    EXPECT_TRUE(terrain->getCollisionFlags() & btCollisionObject::CF_CUSTOM_MATERIAL_CALLBACK);
    EXPECT_FLOAT_EQ(0.25f, terrain->getRestitution());
    EXPECT_FLOAT_EQ(120.0f, terrain->getFriction());
    EXPECT_EQ(21 * 21, CurrentTerrainGrid().vertexCount);
}

// A box of size (1, 2, 3) spans 2 x 4 x 6; a pillar with no rotation lies along z.
TEST_F(Physics, ShapeDimensions)
{
    Course(3, 1);
    AddCourseBody(BODY_BOX, 0, 50, 0, 1, 2, 3, 0, 0, 0, 0, 0);
    AddCourseBody(BODY_PILLAR, 0, 50, 0, 1, 4, 9, 0, 0, 0, 0, 0);
    btVector3 lo, hi;
    btCollisionObject* box = physics.dynamicsWorld->getCollisionObjectArray()[2];
    box->getCollisionShape()->getAabb(box->getWorldTransform(), lo, hi);
    EXPECT_NEAR(2.0f, hi.x() - lo.x(), 1e-3f);
    EXPECT_NEAR(4.0f, hi.y() - lo.y(), 1e-3f);
    EXPECT_NEAR(6.0f, hi.z() - lo.z(), 1e-3f);
    btCollisionObject* pillar = physics.dynamicsWorld->getCollisionObjectArray()[3];
    pillar->getCollisionShape()->getAabb(pillar->getWorldTransform(), lo, hi);
    EXPECT_NEAR(8.0f, hi.z() - lo.z(), 0.2f);     // half length 4 along z
    EXPECT_NEAR(2.0f, hi.x() - lo.x(), 0.2f);
}

// Rotations turn about z first, then x, then y, and come out row-vector.
TEST_F(Physics, BodyMatrixEulerOrderAndLayout)
{
    Course(3, 1);
    AddCourseBody(BODY_BOX, 7, 8, 9, 1, 1, 1, 0, 0, kPi / 2, 0, kPi / 2);
    Matrix m = {};
    GetBodyMatrix(&m, 2);
    // z turn takes x to y, then the x turn takes y to z: row 0 is (0, 0, 1).
    EXPECT_NEAR(0.0f, m.m[0][0], 1e-6f);
    EXPECT_NEAR(0.0f, m.m[0][1], 1e-6f);
    EXPECT_NEAR(1.0f, m.m[0][2], 1e-6f);
    EXPECT_EQ(0.0f, m.m[0][3]);
    EXPECT_EQ(7.0f, m.m[3][0]);
    EXPECT_EQ(8.0f, m.m[3][1]);
    EXPECT_EQ(9.0f, m.m[3][2]);
    EXPECT_EQ(1.0f, m.m[3][3]);

    AddCourseBody(BODY_PILLAR, 0, 0, 0, 1, 4, 0, 0, 0, kPi / 2, 0, 0);
    GetBodyMatrix(&m, 3);
    // A standing pillar: its z axis turned onto -y.
    EXPECT_NEAR(-1.0f, m.m[2][1], 1e-6f);
    AddCourseBody(BODY_BOX, 0, 0, 0, 1, 1, 1, 0, 0, 0, kPi / 2, 0);
    GetBodyMatrix(&m, 4);
    // A quarter turn about y takes x to -z, as the row-vector RotationY does.
    EXPECT_NEAR(-1.0f, m.m[0][2], 1e-6f);
    EXPECT_NEAR(1.0f, m.m[2][0], 1e-6f);
}

// GetBodyMatrix past the last object leaves the output untouched.
TEST_F(Physics, BodyMatrixPastTheEndUnchanged)
{
    Course(3, 1);
    Matrix m;
    for (auto& row : m.m)
        for (float& e : row)
            e = 42;
    GetBodyMatrix(&m, PhysicsBodyCount());
    EXPECT_EQ(42.0f, m.m[0][0]);
    EXPECT_EQ(42.0f, m.m[3][3]);
    GetBodyMatrix(nullptr, 1);     // no output is fine too
}

// An obstacle list longer than the world leaves the extra world fields alone.
TEST_F(Physics, SyncSkipsObstaclesWithoutBodies)
{
    TestCourse course = {};
    course.obstacles.resize(2);
    course.obstacles[1].world.m[3][1] = 77;
    std::vector<TestCourse> courses = { course };
    InstallCourses(&courses);
    Course(3, 1);
    AddCourseBody(BODY_BOX, 0, 12, 0, 1, 1, 1, 0, 0, 0, 0, 0);
    SyncCourseTransforms();
    EXPECT_EQ(12.0f, courses[0].obstacles[0].world.m[3][1]);
    EXPECT_EQ(77.0f, courses[0].obstacles[1].world.m[3][1]);
}

static void PlaceBall(float x, float y, float z)
{
    ballMatrix = {};
    ballMatrix.m[3][0] = x;
    ballMatrix.m[3][1] = y;
    ballMatrix.m[3][2] = z;
}

// The goal's border counts as inside; an inverted goal is never reached.
TEST_F(Physics, GoalRectangle)
{
    TestCourse course = {};
    course.def.GRID_SIZE = 2;
    course.def.GOAL[0] = 0.25f;     // x0
    course.def.GOAL[1] = 0.5f;      // z0
    course.def.GOAL[2] = 0.75f;     // x1
    course.def.GOAL[3] = 0.75f;     // z1
    std::vector<TestCourse> courses = { course };
    InstallCourses(&courses);
    Course(3, 1);     // 21 x 21 grid: W = H = 42
    // x from (0.5 - 0.75) * 42 = -10.5 to 10.5; z from 0 to 10.5.
    PlaceBall(-10.5f, 100, 0);
    EXPECT_TRUE(IsBallInGoal());
    PlaceBall(10.5f, -50, 10.5f);
    EXPECT_TRUE(IsBallInGoal());
    PlaceBall(10.51f, 0, 5);
    EXPECT_FALSE(IsBallInGoal());
    PlaceBall(0, 0, -0.01f);
    EXPECT_FALSE(IsBallInGoal());

    courses[0].def.GOAL[0] = 0.75f;
    courses[0].def.GOAL[2] = 0.25f;
    InstallCourses(&courses);
    for (float x = -25; x <= 25; x += 0.5f) {
        PlaceBall(x, 0, 5);
        EXPECT_FALSE(IsBallInGoal()) << x;
    }
}

// The fall test fires only once the centre is below minus the radius.
TEST_F(Physics, FallThreshold)
{
    SetBallType(3, 1, 0);
    PlaceBall(0, -3, 0);
    EXPECT_FALSE(IsBallFallen());
    PlaceBall(0, -3.001f, 0);
    EXPECT_TRUE(IsBallFallen());
    SetBallType(0.5f, 1, 0);
    PlaceBall(0, -1, 0);
    EXPECT_TRUE(IsBallFallen());
}

// A ball rolling off the terrain's edge falls below the threshold.
TEST_F(Physics, BallOffTheEdgeFalls)
{
    Course(3, 1);
    PushBall({ 200, 0, 0 }, { 0, 0, 0 });
    bool fell = false;
    for (int k = 0; k < 300 && !fell; k++) {
        Steps(1);
        fell = IsBallFallen();
    }
    EXPECT_TRUE(fell);
    EXPECT_GT(BallPosition().x, 50.0f);
}

// Destroying a world with no course, or twice, is harmless.
TEST(PhysicsLifetime, DestroyWithoutCourse)
{
    CreatePhysicsWorld();
    DestroyPhysicsWorld();
    DestroyPhysicsWorld();
    EXPECT_EQ(0, PhysicsBodyCount());
    ClearCourseBodies();
}

}  // namespace

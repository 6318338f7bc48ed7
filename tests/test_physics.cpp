// The physics world with the real Bullet: terrain, bodies, contacts, goal
// and fall tests, and the terrain tree's cache.
#include <gtest/gtest.h>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>
#include "core/game.h"
#include "physics/physics_local.h"
#include "platform/paths.h"
#include "support/data_files.h"
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

// The terrain's bounds, worked out by the game and handed to the shape, are
// bit for bit those Bullet finds itself, down to a -0 met first.
TEST_F(Physics, TerrainBoundsAreBullets)
{
    TerrainGrid grid = MakeFlatGrid(21, 21, 5);
    grid.positions[0].y = -0.0f;              // the first vertex the triangles name
    grid.positions[30].x = -51.0f;            // and a few that stand out
    grid.positions[200].y = 7.5f;
    grid.positions[201].y = 7.5f;
    ASSERT_EQ(1, BuildTerrainCollision(grid, 0));
    const TerrainGrid& kept = CurrentTerrainGrid();
    btTriangleIndexVertexArray plain(kept.triangleCount, kept.indices, 12, kept.vertexCount,
                                     &kept.positions[0].x, sizeof(GridPoint));
    btBvhTriangleMeshShape reference(&plain, true, btVector3(-1000, -1000, -1000),
                                     btVector3(1000, 1000, 1000), false);
    auto* shape = static_cast<btBvhTriangleMeshShape*>(physics.collisionShapes[0]);
    EXPECT_EQ(0, std::memcmp(&shape->getLocalAabbMin(), &reference.getLocalAabbMin(), 12));
    EXPECT_EQ(0, std::memcmp(&shape->getLocalAabbMax(), &reference.getLocalAabbMax(), 12));
    EXPECT_TRUE(std::signbit(shape->getLocalAabbMin().y()));
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

// ---------------------------------------------------------------------------
// The terrain's tree kept in "cache/": it must be Bullet's own tree to the
// byte, so that runs (and the ghosts recorded from them) stay exact.

class TerrainCache : public ::testing::Test {
protected:
    void SetUp() override
    {
        game = {};
        SetBallType(3, 1, 0.2f);
        dir = TempDir() + "/bvh-" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        SysUseOneFolder(dir.c_str());
    }
    void TearDown() override
    {
        DestroyPhysicsWorld();
        SysUseOneFolder(nullptr);
    }
    // 100 x 100 points of hills and ripples: big enough to be kept.
    static TerrainGrid BumpyGrid(float lift = 0)
    {
        TerrainGrid grid = MakeFlatGrid(100, 100, 4);
        for (int j = 0; j < 100; j++)
            for (int i = 0; i < 100; i++)
                grid.positions[j * 100 + i].y = lift + 6 * std::sin(i * 0.21f) * std::cos(j * 0.17f) + (i * j % 7) * 0.1f;
        return grid;
    }
    // A fresh world with the bumpy terrain; whether its tree came from the cache.
    static bool Load(float lift = 0)
    {
        DestroyPhysicsWorld();
        CreatePhysicsWorld();
        EXPECT_EQ(1, BuildTerrainCollision(BumpyGrid(lift), 0.2f));
        return physics.terrainBvhCached;
    }
    // Bullet's own serialised form of a tree.
    static std::vector<unsigned char> Serialised(btOptimizedBvh* bvh)
    {
        unsigned size = bvh->calculateSerializeBufferSize();
        std::vector<unsigned char> bytes(size + 16, 0);
        unsigned char* aligned = bytes.data() + (16 - reinterpret_cast<uintptr_t>(bytes.data()) % 16) % 16;
        EXPECT_TRUE(bvh->serializeInPlace(aligned, size, false));
        return std::vector<unsigned char>(aligned, aligned + size);
    }
    static btOptimizedBvh* TerrainTree()
    {
        return static_cast<btBvhTriangleMeshShape*>(physics.collisionShapes[0])->getOptimizedBvh();
    }
    std::vector<std::filesystem::path> CacheFiles() const
    {
        std::vector<std::filesystem::path> files;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(dir + "cache", error))
            files.push_back(entry.path());
        return files;
    }
    std::string dir;
};

// The tree read back is the tree Bullet builds inside the shape, as the game
// built it before it kept any; a small terrain is simply built.
TEST_F(TerrainCache, CachedTreeIsBulletsOwnTree)
{
    EXPECT_FALSE(Load());
    ASSERT_EQ(1u, CacheFiles().size());
    const TerrainGrid& grid = CurrentTerrainGrid();
    btTriangleIndexVertexArray plain(grid.triangleCount, grid.indices, 12, grid.vertexCount,
                                     &grid.positions[0].x, sizeof(GridPoint));
    btBvhTriangleMeshShape reference(&plain, true, btVector3(-1000, -1000, -1000),
                                     btVector3(1000, 1000, 1000), true);
    const std::vector<unsigned char> bullets = Serialised(reference.getOptimizedBvh());
    EXPECT_TRUE(Serialised(TerrainTree()) == bullets);
    EXPECT_TRUE(Load());
    EXPECT_TRUE(Serialised(TerrainTree()) == bullets);

    DestroyPhysicsWorld();
    CreatePhysicsWorld();
    ASSERT_EQ(1, BuildTerrainCollision(MakeFlatGrid(21, 21, 5), 0));
    EXPECT_FALSE(physics.terrainBvhCached);
    EXPECT_EQ(1u, CacheFiles().size());
}

// A ball rolling over the hills for five seconds takes the same poses, to
// the bit, on a built tree and on a cached one.
TEST_F(TerrainCache, BallRollsTheSameOnACachedTree)
{
    auto run = [](bool cached) {
        EXPECT_EQ(cached, Load());
        AddCourseBody(BODY_SPHERE, 30, 20, -40, 3, 3, 3, 1, 0.2f, 0, 0, 0);
        SetCourseGravity(1);
        std::vector<Matrix> poses;
        for (int k = 0; k < 300; k++) {
            PushBall({std::cos(k * 0.05f) * 2, 0, std::sin(k * 0.03f) * 2}, {0, 0, 0});
            StepPhysicsWorld();
            SyncCourseTransforms();
            poses.push_back(ballMatrix);
        }
        return poses;
    };
    std::vector<Matrix> built = run(false), read = run(true);
    ASSERT_EQ(built.size(), read.size());
    EXPECT_EQ(0, std::memcmp(built.data(), read.data(), built.size() * sizeof(Matrix)));
    EXPECT_GT(std::fabs(built.back().m[3][0] - 30) + std::fabs(built.back().m[3][2] + 40), 5.0f) << "the ball never rolled";
}

// A cut, altered, foreign or forged file is ignored and its mesh built and
// kept again; a forged tree that would lead Bullet out of bounds never
// reaches it.
TEST_F(TerrainCache, DamagedFilesAreBuiltAgain)
{
    Load();
    const std::filesystem::path file = CacheFiles().at(0);
    const std::string good = ReadBytes(file.string());
    const size_t header = sizeof(TerrainCacheHeader);
    auto sealed = [&](std::string bytes) {
        uint64_t hash[2];
        TerrainCacheHash(bytes.data() + header, bytes.size() - header, hash);
        std::memcpy(&bytes[offsetof(TerrainCacheHeader, payloadA)], &hash[0], 8);
        std::memcpy(&bytes[offsetof(TerrainCacheHeader, payloadB)], &hash[1], 8);
        return bytes;
    };
    auto withNode = [&](size_t node, int32_t value) {
        std::string bytes = good;
        std::memcpy(&bytes[header + node * sizeof(btQuantizedBvhNode) + 12], &value, 4);
        return sealed(bytes);
    };
    TerrainCacheHeader h;
    std::memcpy(&h, good.data(), header);
    const size_t nodes = size_t(h.nodeCount);
    std::string otherBullet = good;
    otherBullet[offsetof(TerrainCacheHeader, bulletVersion)] ^= 1;
    std::string flipped = good;
    flipped[header + 1000] ^= 0x10;
    const std::vector<std::pair<const char*, std::string>> damaged = {
        {"cut", good.substr(0, good.size() / 2)},
        {"a flipped bit", flipped},
        {"another Bullet", otherBullet},
        {"a leaf past the last triangle", withNode(nodes - 1, h.triangleCount)},
        {"an inner node skipping past the end", withNode(0, -int32_t(nodes) - 1)},
        {"an escape of INT_MIN", withNode(0, INT32_MIN)},
    };
    for (const auto& [what, bytes] : damaged) {
        WriteBytes(file.string(), bytes);
        EXPECT_FALSE(Load()) << what;
        EXPECT_EQ(ReadBytes(file.string()), good) << what << ": not written again";
        EXPECT_TRUE(Load()) << what;
    }
}

// A forged tree that passes the checks (its leaves name real triangles, its
// skips stay inside) may be wrong, but rolling a ball and casting rays on
// it stays within the mesh: random nodes, sealed as the game seals them.
TEST_F(TerrainCache, ForgedTreesStayInsideTheMesh)
{
    Load();
    const std::filesystem::path file = CacheFiles().at(0);
    const std::string good = ReadBytes(file.string());
    const size_t header = sizeof(TerrainCacheHeader);
    TerrainCacheHeader h;
    std::memcpy(&h, good.data(), header);
    std::mt19937 random(7);
    for (int trial = 0; trial < 20; trial++) {
        std::string bytes = good;
        for (int k = 0; k < 50; k++) {
            size_t node = random() % size_t(h.nodeCount);
            char* at = &bytes[header + node * sizeof(btQuantizedBvhNode)];
            int32_t value;
            std::memcpy(&value, at + 12, 4);
            value = value >= 0 ? int32_t(random() % uint32_t(h.triangleCount))
                               : -int32_t(1 + random() % uint32_t(h.nodeCount - int32_t(node)));
            std::memcpy(at + 12, &value, 4);
            at[random() % 12] = char(random());       // and a bound
        }
        uint64_t hash[2];
        TerrainCacheHash(bytes.data() + header, bytes.size() - header, hash);
        std::memcpy(&bytes[offsetof(TerrainCacheHeader, payloadA)], hash, 16);
        WriteBytes(file.string(), bytes);
        ASSERT_TRUE(Load()) << "trial " << trial << ": the forged tree was not taken";
        AddCourseBody(BODY_SPHERE, 10, 15, 10, 3, 3, 3, 1, 0.2f, 0, 0, 0);
        SetCourseGravity(1);
        for (int k = 0; k < 60; k++)
            StepPhysicsWorld();
        Vec3 hit = {}, normal = {};
        CastGroundRay(&hit, 1, {5, 50, 5}, {5, -50, 5}, &normal);
        SyncCourseTransforms();
        EXPECT_TRUE(std::isfinite(BallPosition().y)) << "trial " << trial;
    }
}

// The cache keeps the 16 most recently used meshes; reading one counts as a use.
TEST_F(TerrainCache, OldestMeshesGiveWay)
{
    for (int k = 0; k < 16; k++)
        Load(float(k));
    ASSERT_EQ(16u, CacheFiles().size());
    for (const auto& f : CacheFiles())
        std::filesystem::last_write_time(f, std::filesystem::file_time_type::clock::now() - std::chrono::hours(2));
    EXPECT_TRUE(Load(0));
    EXPECT_FALSE(Load(99));
    EXPECT_EQ(16u, CacheFiles().size());
    EXPECT_TRUE(Load(0)) << "the mesh used last was removed";
    EXPECT_TRUE(Load(99));
}

}  // namespace

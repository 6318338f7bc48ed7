// Every shipped course can be finished: a driver holding the arrow keys
// steers the ball along waypoints through the real steering and physics and
// reaches the goal within three minutes of race time.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/game.h"
#include "app/race.h"
#include "data/course_list.h"
#include "data/settings.h"
#include "data/sprite_sheets.h"
#include "physics/physics.h"
#include "platform/sys.h"
#include "render/course.h"

namespace {

void QuietErrorBox(const char*) {}

// Waypoints as map fractions (x from the picture's left, z from its top),
// one route per shipped course in list order.
const std::vector<std::vector<float>> kRoutes = {
    {0.62f, 0.7f, 0.38f, 0.45f, 0.55f, 0.25f, 0.5f, 0.1f},
    {0.5f, 0.1f},
    {0.5f, 0.08f},
    {0.5f, 0.08f},
    {0.62f, 0.82f, 0.7f, 0.68f, 0.3f, 0.64f, 0.3f, 0.5f, 0.7f, 0.46f, 0.7f, 0.34f, 0.56f, 0.24f, 0.5f, 0.09f},
    {0.24f, 0.76f, 0.74f, 0.56f, 0.28f, 0.36f, 0.5f, 0.11f},
};

// The keyboard's eight directions (and none), as the tilt sampler gives them.
TiltVector Keys(float wantX, float wantZ)
{
    TiltVector t = {0, 10, 0, 0, 0};
    float len = std::hypot(wantX, wantZ);
    if (len < 1.0f) return t;
    float best = -2;
    const float dirs[8][2] = {{20, 0}, {-20, 0}, {0, 20}, {0, -20}, {10, 10}, {10, -10}, {-10, 10}, {-10, -10}};
    for (const auto& d : dirs) {
        float score = (d[0] * wantX + d[1] * wantZ) / (std::hypot(d[0], d[1]) * len);
        if (score > best) {
            best = score;
            t.x = d[0];
            t.z = d[1];
        }
    }
    return t;
}

// Runs one course: true when the goal is reached within three minutes.
bool Drive(int index, const std::vector<float>& route, int* framesUsed)
{
    const CourseDef& c = courseList.courses[index];
    const TerrainGrid& grid = CurrentTerrainGrid();
    float w = grid.NX * c.GRID_SIZE, h = grid.NZ * c.GRID_SIZE;
    size_t next = 0;
    TiltVector previous = {0, 10, 0, 0, 0};
    game.state = STATE_RACE;
    for (int frame = 0; frame < 180 * 60; ++frame) {
        StepPhysicsWorld();
        SyncCourseTransforms();
        float bx = ballMatrix.m[3][0], bz = ballMatrix.m[3][2];
        float tx = w * (1 - route[next]) - w / 2, tz = h * route[next + 1] - h / 2;
        if (std::hypot(tx - bx, tz - bz) < 10 && next + 2 < route.size()) next += 2;
        // Aim for a modest speed towards the waypoint and steer off the difference.
        Vec3 v = {};
        GetBallVelocity(&v);
        float dx = tx - bx, dz = tz - bz, d = std::max(std::hypot(dx, dz), 1e-3f);
        float speed = std::min(22.0f, d);
        TiltVector tilt = Keys(dx / d * speed - v.x, dz / d * speed - v.z);
        // Tilt z is forward/back: UP (z < 0) pushes towards -z.
        UpdateRace(tilt, previous);
        previous = tilt;
        if (game.state == STATE_GOAL) {
            *framesUsed = frame;
            return true;
        }
        if (IsBallFallen()) return false;
    }
    return false;
}

} // namespace

// Each shipped course is finished from its start within three minutes by a steady driver.
TEST(ContentPlaythrough, EveryCourseCanBeFinished)
{
    SysHooks hooks = {};
    hooks.errorBox = QuietErrorBox;
    SysSetHooks(&hooks);
    SysSetProgramDirectoryForTests(KESTRUNE_GAME_DIR);
    SysMakeProgramDirectoryCurrent();
    ASSERT_EQ(LoadCourseList(), 1);
    ASSERT_EQ(courseList.courseCount, static_cast<int>(kRoutes.size()));
    CreatePhysicsWorld();
    for (int i = 0; i < courseList.courseCount; ++i) {
        ASSERT_TRUE(LoadCourse(i));
        int frames = 0;
        EXPECT_TRUE(Drive(i, kRoutes[i], &frames)) << "course " << i;
        ::testing::Test::RecordProperty("course" + std::to_string(i) + "_frames", frames);
    }
    ClearCourseBodies();
    ReleaseCourseGraphics();
    DestroyPhysicsWorld();
    for (ShapeMesh& shape : shapeMeshes) ReleaseShapeMesh(&shape);
    FreeCourseList();
    SysSetProgramDirectoryForTests(nullptr);
    SysSetHooks(nullptr);
}

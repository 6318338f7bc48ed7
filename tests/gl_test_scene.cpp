// The course scene drawn headless and read back: what the render flags do,
// where shadows fall, the material fallback and the goal column's pulse.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/game.h"
#include "app/ghost.h"
#include "data/extras.h"
#include "data/settings.h"
#include "render/shapes.h"
#include "physics/physics.h"
#include "render/camera.h"
#include "course/course.h"
#include "render/device.h"
#include "render/ghost_view.h"
#include "render/scene.h"
#include "support/gfx_window.h"
#include "support/physics_support.h"
#include "support/scripted_input.h"

namespace {

void LoadShape(int shape, const std::string& path)
{
    char16_t name[260];
    CopyUtf8ToUtf16(name, 260, path);
    ASSERT_EQ(LoadShapeMesh(name, &shapeMeshes[shape]), 1);
}

// Steep hills (0 ... 14 high) under a dark field texture, the ball floating
// at 24 with no gravity, one box beside it and the goal ahead.
class SceneFrameTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(OpenTestDevice(), 1);
        InstallScriptedInput(nullptr, nullptr);
        scriptedClockMs = 0;
        game = {};
        for (int k = 0; k < 3; k++) {
            game.settings.ballTypes[k] = {3, 1, 0.5f, 0, 0, 0.5f};
            game.settings.cameraLength[k] = 96;
            game.settings.cameraPitch[k] = 0.8377580642700195f;
        }
        LoadShape(SHAPE_BOX, WriteCubeMesh("rgb.x", {"1.0;0.0;0.0", "0.0;1.0;0.0", "0.0;0.0;1.0"}));
        LoadShape(SHAPE_SPHERE, WriteCubeMesh("red.x", {"1.0;0.0;0.0"}));
        LoadShape(SHAPE_PILLAR, WriteCubeMesh("rgb2.x", {"1.0;0.0;0.0", "0.0;1.0;0.0"}));
        std::vector<int> hills(32 * 32), dark(4 * 4, 80);
        for (int y = 0; y < 32; y++)
            for (int x = 0; x < 32; x++)
                hills[y * 32 + x] = int(50 + 25 * (std::sin(x * 0.7f) + std::sin(y * 0.55f)));
        courses.assign(1, TestCourse{});
        CourseDef& def = courses[0].def;
        CopyUtf8ToUtf16(def.HEIGHT_MAP, 260, WriteGreyBmp("hills.bmp", 32, 32, hills));
        CopyUtf8ToUtf16(def.FIELD_TEXTURE, 260, WriteGreyBmp("dark.bmp", 4, 4, dark));
        def.MAP_HEIGHT = 4;
        def.GRID_SIZE = 4;
        def.START[0] = 0.5f; def.START[1] = 6; def.START[2] = 0.5f;
        def.GOAL[0] = 0.45f; def.GOAL[1] = 0.3f; def.GOAL[2] = 0.55f; def.GOAL[3] = 0.32f;
        courses[0].obstacles.resize(1);
        ObstacleDef& box = courses[0].obstacles[0];
        box.shape = SHAPE_BOX;
        box.size[0] = box.size[1] = box.size[2] = 3;
        box.position[0] = 0.35f; box.position[1] = 5; box.position[2] = 0.5f;
        box.material = 1;
        InstallCourses(&courses);
        CreatePhysicsWorld();
        ASSERT_TRUE(LoadCourse(0));
    }
    void TearDown() override
    {
        ReleaseCourseGraphics();
        DestroyPhysicsWorld();
        for (ShapeMesh& shape : shapeMeshes)
            ReleaseShapeMesh(&shape);
        courseList = {};
        SysSetHooks(nullptr);
    }

    Frame Draw(uint32_t flags, bool marker = true)
    {
        game.settings.renderFlags = flags;
        SyncCourseTransforms();
        SetRaceCamera();
        BeginScene();
        DrawTerrain();
        DrawBallAndObstacles();
        if (flags & DRAWSHADOW)
            DrawShadows();
        if (marker)
            DrawGoalMarker();
        return ReadFrame();
    }

    std::vector<TestCourse> courses;
};

int Differing(const Frame& a, const Frame& b)
{
    int n = 0;
    for (int y = 0; y < 480; y++)
        for (int x = 0; x < 640; x++)
            n += a.Rgb(x, y) != b.Rgb(x, y);
    return n;
}

int Channel(uint32_t rgb, int shift)
{
    return (rgb >> shift) & 255;
}

}  // namespace

// Flags 1, 2, 4 change the terrain, never the ball, and every pass leaves
// the device's states as it found them. Untextured, the terrain is lit white.
TEST_F(SceneFrameTest, RenderFlagsChangeTheTerrainOnly)
{
    Frame plain = Draw(0);
    uint32_t ground = plain.Rgb(320, 470);
    EXPECT_EQ(Channel(ground, 16), Channel(ground, 8));
    EXPECT_EQ(Channel(ground, 8), Channel(ground, 0));
    EXPECT_GT(Channel(ground, 0), 0x60);
    uint32_t ball = plain.Rgb(320, 240);
    EXPECT_GT(Channel(ball, 16), Channel(ball, 8) + 80) << "the ball's red material";

    Frame textured = Draw(USETEXTURE);
    EXPECT_LT(Channel(textured.Rgb(320, 470), 8), Channel(ground, 8) - 0x20);
    Frame wire = Draw(WYREFRAME);
    Frame flat = Draw(FLATSHADING);
    EXPECT_GT(Differing(plain, wire), 30000);
    EXPECT_GT(Differing(plain, flat), 500);
    for (int y = 232; y <= 248; y++)
        for (int x = 312; x <= 328; x++) {
            EXPECT_EQ(textured.Rgb(x, y), ball) << x << "," << y;
            EXPECT_EQ(wire.Rgb(x, y), ball) << x << "," << y;
            EXPECT_EQ(flat.Rgb(x, y), ball) << x << "," << y;
        }
    EXPECT_EQ(GetRenderState(RS_WIREFRAME), 0);
    EXPECT_EQ(GetRenderState(RS_FLAT_SHADING), 0);
    EXPECT_EQ(GetRenderState(RS_ALPHA_BLEND), 1);
    EXPECT_EQ(GetRenderState(RS_CULL_CCW), 1);
}

// The shadow only darkens, and it lies where the light ray from the ball's
// centre meets the ground (the flattened cube's centre).
TEST_F(SceneFrameTest, ShadowDarkensTheGroundAlongTheLight)
{
    Frame plain = Draw(0);
    Frame shaded = Draw(DRAWSHADOW);
    int darker = 0, brighter = 0;
    double sx = 0, sy = 0;
    for (int y = 0; y < 480; y++)
        for (int x = 0; x < 640; x++) {
            uint32_t a = plain.Rgb(x, y), b = shaded.Rgb(x, y);
            if (a == b)
                continue;
            bool dark = Channel(b, 16) <= Channel(a, 16) && Channel(b, 8) <= Channel(a, 8) &&
                        Channel(b, 0) <= Channel(a, 0);
            brighter += !dark;
            darker += dark;
            sx += x;
            sy += y;
        }
    EXPECT_EQ(brighter, 0);
    ASSERT_GT(darker, 300);

    // Where the ball's shadow should be: its ground hit, projected. The box
    // casts its own shadow too; keep to the pixels near the expected spot.
    Vec3 centre = {ballMatrix.m[3][0], ballMatrix.m[3][1], ballMatrix.m[3][2]}, hit, normal;
    const Vec3& l = LightDirection();
    Vec3 to = {centre.x + 1000 * l.x, centre.y + 1000 * l.y, centre.z + 1000 * l.z};
    ASSERT_TRUE(CastGroundRay(&hit, 1, centre, to, &normal));
    CameraPose pose = RaceCameraPose();
    Vec3 up = {0, 1, 0};
    Matrix view, viewProj;
    MatrixLookAtLH(&view, &pose.eye, &pose.target, &up);
    MatrixMultiply(&viewProj, &view, &ProjectionMatrix());
    Vec3 ndc;
    Vec3TransformCoord(&ndc, &hit, &viewProj);
    float ex = (ndc.x + 1) * 320, ey = (1 - ndc.y) * 240;
    double nx = 0, ny = 0;
    int near = 0;
    for (int y = 0; y < 480; y++)
        for (int x = 0; x < 640; x++)
            if (plain.Rgb(x, y) != shaded.Rgb(x, y) && std::hypot(x - ex, y - ey) < 40) {
                nx += x;
                ny += y;
                near++;
            }
    ASSERT_GT(near, 200);
    EXPECT_NEAR(nx / near, ex, 6);
    EXPECT_NEAR(ny / near, ey, 6);
    EXPECT_GT(ey, 280) << "the ground under a floating ball shows below it";
}

// A material past the mesh's list, from the course file or the ball type,
// dresses the object with the last material there is.
TEST_F(SceneFrameTest, MissingMaterialsDrawWithTheLastOne)
{
    ObstacleDef* box = courseList.courses[0].firstObstacle;
    box->material = 2;
    Frame blue = Draw(0);
    box->material = 7;
    EXPECT_EQ(Differing(Draw(0), blue), 0);
    box->material = 0;
    EXPECT_GT(Differing(Draw(0), blue), 100);

    game.settings.ballTypeSel = 2;   // the sphere mesh has one material
    Frame ball2 = Draw(0);
    game.settings.ballTypeSel = 0;
    EXPECT_EQ(Differing(Draw(0), ball2), 0);
}

// The column grows from its low to its high point and back every 300 ms: a
// taller column is more opaque at every height, so it changes the picture more.
TEST_F(SceneFrameTest, GoalColumnPulsesEvery300Ms)
{
    Frame bare = Draw(0, false);
    long change[5];
    const uint32_t times[5] = {0, 75, 150, 225, 300};
    for (int k = 0; k < 5; k++) {
        scriptedClockMs = 6000 + times[k];
        Frame marked = Draw(0);
        change[k] = 0;
        for (size_t i = 0; i < bare.rgba.size(); i++)
            change[k] += std::abs(int(marked.rgba[i]) - int(bare.rgba[i]));
    }
    EXPECT_GT(change[0], 10000);
    EXPECT_GT(change[1], change[0]);
    EXPECT_GT(change[2], change[1]);
    EXPECT_NEAR(change[3], change[1], change[1] / 100);
    EXPECT_EQ(change[4], change[0]);
}

// The ghost is see-through over open ground and hidden by a box in front of
// it: drawn translucent, with the depth test on.
TEST_F(SceneFrameTest, GhostIsTranslucentAndHiddenBehindObstacles)
{
    InitGhost();
    game.state = STATE_RACE;
    game.currentCourse = 0;
    extras.ghostShown = 1;
    loop.raceTimeMs = 0;
    ghost.loadedCourse = ghost.replay.course = 0;
    ghost.replay.frameCount = 1;
    auto DrawWithGhostAt = [&](const Vec3& at) {
        Matrix pose;
        MatrixIdentity(&pose);
        pose.m[3][0] = at.x; pose.m[3][1] = at.y; pose.m[3][2] = at.z;
        PoseFromMatrix(pose, &ghost.replay.frames[0]);
        Draw(0, false);
        Matrix shown;
        if (GhostPoseShown(&shown))
            DrawGhost(shown);
        return ReadFrame();
    };
    Frame plain = Draw(0, false);
    Vec3 ball = {ballMatrix.m[3][0], ballMatrix.m[3][1], ballMatrix.m[3][2]};
    // Beside the ball, in front of the ground: a blend of both.
    Frame beside = DrawWithGhostAt({ball.x, ball.y, ball.z - 8});
    int changed = 0;
    for (int y = 0; y < 480; y++)
        for (int x = 0; x < 640; x++)
            if (plain.Rgb(x, y) != beside.Rgb(x, y)) {
                changed++;
                uint32_t over = beside.Rgb(x, y);
                EXPECT_LT(Channel(over, 16), 0xF0) << "never the ball's full red";
                EXPECT_GT(Channel(over, 0), 0x10) << "the ground shows through";
                if (::testing::Test::HasFailure()) return;
            }
    EXPECT_GT(changed, 200);
    // Straight behind the box as the camera sees it.
    CameraPose camera = RaceCameraPose();
    const Matrix& box = courses[0].obstacles[0].world;
    Vec3 b = {box.m[3][0], box.m[3][1], box.m[3][2]};
    Vec3 away = {b.x - camera.eye.x, b.y - camera.eye.y, b.z - camera.eye.z}, dir;
    Vec3Normalize(&dir, &away);
    Frame hidden = DrawWithGhostAt({b.x + 9 * dir.x, b.y + 9 * dir.y, b.z + 9 * dir.z});
    EXPECT_EQ(Differing(plain, hidden), 0);
    FreeGhost();
}

// The course-select preview: the course's terrain model with the ball, the
// obstacles and the goal column placed from the course file (no physics),
// drawn over the screen's 2D elements.
#include <algorithm>
#include <cmath>
#include "render/preview.h"
#include "core/game.h"
#include "platform/sys.h"
#include "render/scene.h"
#include "render/shapes.h"
#include "render/sprites.h"

static CoursePreview preview;

namespace {

// The terrain model at rest, drawn once and laid over the pictures that
// follow while nothing it shows changes: on a software rasteriser its
// thousands of triangles, a few pixels each, cost more than a race picture.
struct TerrainLayer {
    Layer* layer;                // null until the model is first shown at rest
    bool drawn;                  // holds the model as it is now
};
TerrainLayer terrainLayer;

}  // namespace

const CoursePreview& GetCoursePreview()
{
    return preview;
}

namespace {

const float kPi = 3.14159265f;
const int kSheetFlags = 7;          // cell 0 start flag, cell 1 goal flag

Matrix PreviewWorld(float slideOffset, float scaling)
{
    Matrix turn, scale, move, out;
    MatrixRotationY(&turn, -0.5235987901687622f);
    MatrixScaling(&scale, scaling, scaling, scaling);
    MatrixTranslation(&move, slideOffset * 800, 100, 0);
    MatrixMultiply(&out, &turn, &scale);
    return *MatrixMultiply(&out, &out, &move);
}

Matrix PreviewView()
{
    Vec3 eye = {0, 800, 1200}, at = {0, 0, 0}, up = {0, 1, 0};
    Matrix view;
    MatrixLookAtLH(&view, &eye, &at, &up);
    return view;
}

void DrawTerrainModel(const Matrix& world)
{
    if (!preview.vertices || !preview.indices)
        return;
    SetTransform(TS_WORLD, &world);
    SetMaterial(&preview.material);
    SetTexture(preview.texture);
    DrawIndexedTriangles(preview.vertices, FVF_TERRAIN, preview.indices, 0,
                         (uint32_t)preview.triangleCount);
}

void DrawPreviewObjects(const Matrix& pw, float wx, float wz)
{
    const CourseDef& c = preview.course;
    float r = SelectedBallType().size;
    Matrix scale, move, world;
    MatrixScaling(&scale, r, r, r);
    MatrixTranslation(&move, (0.5f - c.START[0]) * wx, c.START[1] * c.MAP_HEIGHT,
                      (c.START[2] - 0.5f) * wz);
    MatrixMultiply(&world, &scale, &move);
    MatrixMultiply(&world, &world, &pw);
    DrawShape(shapeMeshes[SHAPE_SPHERE], game.settings.ballTypeSel, world);
    for (const ObstacleDef* o = c.firstObstacle; o; o = o->next) {
        if (o->shape < SHAPE_BOX || o->shape > SHAPE_PILLAR)
            continue;
        Matrix turn;
        ObstacleScaling(&scale, *o);
        MatrixRotationYawPitchRoll(&turn, o->rotation[1], o->rotation[0], o->rotation[2]);
        MatrixTranslation(&move, (0.5f - o->position[0]) * wx, o->position[1] * c.MAP_HEIGHT,
                          (o->position[2] - 0.5f) * wz);
        MatrixMultiply(&world, &scale, &turn);
        MatrixMultiply(&world, &world, &move);
        MatrixMultiply(&world, &world, &pw);
        DrawShape(shapeMeshes[o->shape], o->material, world);
    }
}

// The race's goal column at preview scale, pulsing once a second; it stands
// on the model's y = 0, not on the goal's ground.
void DrawPreviewGoalMarker(const Matrix& pw, const Vec3& goal, float wx, float wz)
{
    const CourseDef& c = preview.course;
    float s = std::sin(kPi * (float)(SysMilliseconds() % 1000) / 1000.0f);
    Matrix lift, scale, move, world;
    MatrixTranslation(&lift, 0, 1, 0);
    MatrixScaling(&scale, (c.GOAL[2] - c.GOAL[0]) * wx * 0.5f,
                  (0.1f * s + 0.6f) * 15 * c.MAP_HEIGHT, (c.GOAL[3] - c.GOAL[1]) * wz * 0.5f);
    MatrixTranslation(&move, goal.x, 0, goal.z);
    MatrixMultiply(&world, &lift, &scale);
    MatrixMultiply(&world, &world, &move);
    MatrixMultiply(&world, &world, &pw);
    SetTransform(TS_WORLD, &world);
    SetMaterial(&MarkerMaterial());
    SetTexture(nullptr);
    SetRenderState(RS_CULL_CCW, 0);
    DrawIndexedTriangles(MarkerVertexBuffer(), FVF_TERRAIN, MarkerIndexBuffer(), 0, 8);
    SetRenderState(RS_CULL_CCW, 1);
}

void ToScreen(const Vec3& point, const Matrix& pw, const Matrix& view, float* sx, float* sy)
{
    Vec3 p;
    Vec3TransformCoord(&p, &point, &pw);
    Vec3TransformCoord(&p, &p, &view);
    Vec3TransformCoord(&p, &p, &ProjectionMatrix());
    *sx = (p.x + 1) * 0.5f * 640;
    *sy = (1 - p.y) * 0.5f * 480;
}

// Both flags bob from 34 down to 24 pixels above their point over 60 frames,
// then jump back.
void QueueFlags(const Matrix& pw, const Matrix& view, const Vec3& start, const Vec3& goal,
                int frameCounter)
{
    int c = frameCounter % 60;
    float lift = (1 - std::sin((float)c / 60.0f * kPi * 0.5f)) * 10 + 24;
    float x, y;
    ToScreen(start, pw, view, &x, &y);
    DrawSprite(kSheetFlags, 0, 0xE0FFFFFFu, 0, DEPTH_SPRITE, 0, x, y - lift, 48, 48);
    ToScreen(goal, pw, view, &x, &y);
    DrawSprite(kSheetFlags, 1, 0xE0FFFFFFu, 0, DEPTH_SPRITE, 0, x, y - lift, 48, 48);
}

// The part of the picture the terrain model can cover: the box round its
// vertices as the screen sees it.
ScreenRect TerrainOnScreen(const Matrix& pw, const Matrix& view)
{
    ScreenRect r = {640, 480, 0, 0};
    for (int k = 0; k < 8; k++) {
        Vec3 corner = {k & 1 ? preview.high.x : preview.low.x, k & 2 ? preview.high.y : preview.low.y,
                       k & 4 ? preview.high.z : preview.low.z};
        float x, y;
        ToScreen(corner, pw, view, &x, &y);
        r = {std::min(r.left, x), std::min(r.top, y), std::max(r.right, x), std::max(r.bottom, y)};
    }
    return r;
}

// At rest the terrain comes from its layer, drawn again only when it has
// gone stale (another course, another material, a resized picture); while
// the model slides it is drawn as it moves. Without a layer it is drawn
// every time.
void DrawTerrainAtRest(const Matrix& pw, const Matrix& view)
{
    if (!LayerFitsPicture(terrainLayer.layer)) {
        ReleaseLayer(terrainLayer.layer);
        terrainLayer.layer = CreateLayer();
        terrainLayer.drawn = false;
    }
    if (!terrainLayer.drawn) {
        bool intoLayer = BeginLayer(terrainLayer.layer) != 0;
        DrawTerrainModel(pw);
        if (!intoLayer)
            return;
        EndLayer();
        terrainLayer.drawn = true;
    }
    DrawLayer(terrainLayer.layer, TerrainOnScreen(pw, view));
}

void DrawModel(const PreviewFrame& frame)
{
    const CourseDef& c = preview.course;
    Matrix pw = PreviewWorld(frame.slideOffset, c.SELECT_SCALING);
    Matrix view = PreviewView();
    SetTransform(TS_VIEW, &view);
    if (frame.slideOffset == 0)
        DrawTerrainAtRest(pw, view);
    else
        DrawTerrainModel(pw);
    float wx = preview.NX * c.GRID_SIZE, wz = preview.NZ * c.GRID_SIZE;
    Vec3 start = CoursePoint(c.START, preview.NX, preview.NZ, c.GRID_SIZE, c.MAP_HEIGHT);
    Vec3 goal = { wx * preview.goalX - wx / 2, c.MAP_HEIGHT * preview.goalHeight,
                  wz * preview.goalZ - wz / 2 };
    DrawPreviewObjects(pw, wx, wz);
    DrawPreviewGoalMarker(pw, goal, wx, wz);
    QueueFlags(pw, view, start, goal, frame.frameCounter);
}

// The screen fades to black over the 60 frames before the race starts.
void QueueVeil(int startDelay)
{
    int n = startDelay < 0 ? 0 : startDelay > 60 ? 60 : startDelay;
    uint32_t alpha = (uint32_t)(255 - 255 * n / 60);
    DrawSprite(-1, 0, alpha << 24, 0, DEPTH_FRONT, 0, 320, 240, 640, 480);
}

}  // namespace

void SetCoursePreview(const CoursePreview& model)
{
    preview = model;
    terrainLayer.drawn = false;
}

void ResetPreviewMaterial()
{
    preview.material = { {1, 1, 1, 1}, {1, 1, 1, 1}, {0, 0, 0, 1}, {0, 0, 0, 0}, 2.0f };
    terrainLayer.drawn = false;
}

void DrawCoursePreview(const PreviewFrame& frame)
{
    if (!frame.shown)
        return;
    ClearDepth();
    if (preview.hasModel)
        DrawModel(frame);
    if (frame.starting)
        QueueVeil(frame.startDelay);
    FlushSprites();
}

void ReleaseCoursePreview()
{
    if (preview.texture)
        ReleaseTexture(preview.texture);
    if (preview.vertices)
        ReleaseVertexBuffer(preview.vertices);
    if (preview.indices)
        ReleaseIndexBuffer(preview.indices);
    preview.texture = nullptr;
    preview.vertices = nullptr;
    preview.indices = nullptr;
    preview.vertexCount = 0;
    preview.triangleCount = 0;
    preview.hasModel = false;
    ReleaseLayer(terrainLayer.layer);
    terrainLayer = {};
}

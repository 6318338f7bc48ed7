// The course-select preview: a second copy of a course's terrain in buffers
// of its own, with the ball, the obstacles and the goal column placed from
// the course file (no physics), drawn over the screen's 2D elements.
#include <cmath>
#include <new>
#include "render/preview.h"
#include "render/preview_local.h"
#include "course/course.h"
#include "render/scene.h"
#include "render/sprites.h"
#include "core/game.h"
#include "data/settings.h"
#include "data/text_reader.h"
#include "platform/sys.h"
#include "screens/course_select.h"

static CoursePreview preview;

const CoursePreview& GetCoursePreview()
{
    return preview;
}

namespace {

const float kPi = 3.14159265f;
const int kSheetFlags = 7;          // cell 0 start flag, cell 1 goal flag

void ReleaseBuffers()
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
}

// Column and row of the goal cell, the products truncated; false when the
// cell lies outside the grid (a goal at the picture's left edge gives NX).
bool GoalCell(int nx, int nz, float goalX, float goalZ, int* column, int* row)
{
    float fx = (float)nx * goalX, fz = (float)nz * goalZ;
    // Written so that a NaN fails too; truncation makes (-1, 0) column 0.
    if (!(fx > -1.0f && fx < (float)nx && fz > -1.0f && fz < (float)nz))
        return false;
    *column = (int)fx;
    *row = (int)fz;
    return true;
}

// Failures leave the buffer absent or unfilled and are not reported: the
// preview is only a picture, and the race load says what went wrong.
void UploadVertices(const PreviewArrays& arrays)
{
    uint32_t bytes = (uint32_t)((size_t)arrays.grid.vertexCount * sizeof(TerrainVertex));
    preview.vertices = CreateVertexBuffer(bytes);
    if (preview.vertices)
        WriteVertexBuffer(preview.vertices, arrays.vertices, bytes);
}

void UploadIndices(const TerrainGrid& grid)
{
    int count = 3 * grid.triangleCount;
    preview.indexBits = grid.vertexCount > 65536 ? 32 : 16;
    uint32_t bytes = (uint32_t)count * (preview.indexBits / 8);
    preview.indices = CreateIndexBuffer(bytes, preview.indexBits);
    if (!preview.indices)
        return;
    if (preview.indexBits == 32) {
        WriteIndexBuffer(preview.indices, grid.indices, bytes);
        return;
    }
    uint16_t* low = new (std::nothrow) uint16_t[count];
    if (!low) {
        ReleaseIndexBuffer(preview.indices);
        preview.indices = nullptr;
        return;
    }
    for (int k = 0; k < count; k++)
        low[k] = (uint16_t)grid.indices[k];
    WriteIndexBuffer(preview.indices, low, bytes);
    delete[] low;
}

void BuildPreviewMesh(const HeightMap& map, const CourseDef& course)
{
    PreviewArrays arrays;
    if (!BuildPreviewArrays(map, course, preview.goalX, preview.goalZ, &arrays, &preview.goalHeight))
        return;
    UploadVertices(arrays);
    UploadIndices(arrays.grid);
    preview.NX = arrays.grid.NX;
    preview.NZ = arrays.grid.NZ;
    preview.vertexCount = arrays.grid.vertexCount;
    preview.triangleCount = preview.indices ? arrays.grid.triangleCount : 0;
    preview.hasModel = true;
    FreePreviewArrays(&arrays);
}

// ---------------------------------------------------------------------------
// Drawing

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

void DrawModel(const CourseSelect& screen)
{
    const CourseDef& c = preview.course;
    Matrix pw = PreviewWorld(screen.slideOffset, c.SELECT_SCALING);
    Matrix view = PreviewView();
    SetTransform(TS_VIEW, &view);
    DrawTerrainModel(pw);
    float wx = preview.NX * c.GRID_SIZE, wz = preview.NZ * c.GRID_SIZE;
    Vec3 start = CoursePoint(c.START, preview.NX, preview.NZ, c.GRID_SIZE, c.MAP_HEIGHT);
    Vec3 goal = { wx * preview.goalX - wx / 2, c.MAP_HEIGHT * preview.goalHeight,
                  wz * preview.goalZ - wz / 2 };
    DrawPreviewObjects(pw, wx, wz);
    DrawPreviewGoalMarker(pw, goal, wx, wz);
    QueueFlags(pw, view, start, goal, CourseSelectFrame());
}

// The screen fades to black over the 60 frames before the race starts.
void QueueVeil(int startDelay)
{
    int n = startDelay < 0 ? 0 : startDelay > 60 ? 60 : startDelay;
    uint32_t alpha = (uint32_t)(255 - 255 * n / 60);
    DrawSprite(-1, 0, alpha << 24, 0, DEPTH_FRONT, 0, 320, 240, 640, 480);
}

}  // namespace

int BuildPreviewArrays(const HeightMap& map, const CourseDef& course, float goalX, float goalZ,
                       PreviewArrays* out, float* goalHeight)
{
    *out = {};
    if (BuildTerrainGrid(map, course.MAP_HEIGHT, course.GRID_SIZE, &out->grid) != 1)
        return 0;
    out->vertices = new (std::nothrow) TerrainVertex[out->grid.vertexCount];
    if (!out->vertices) {
        FreePreviewArrays(out);
        return 0;
    }
    BuildTerrainVertices(out->grid, out->vertices);
    int column, row;
    if (GoalCell(out->grid.NX, out->grid.NZ, goalX, goalZ, &column, &row))
        *goalHeight = HeightSample(map, column > 0 ? column - 1 : 0, row > 0 ? row - 1 : 0);
    return 1;
}

void FreePreviewArrays(PreviewArrays* arrays)
{
    delete[] arrays->grid.positions;
    delete[] arrays->grid.indices;
    delete[] arrays->vertices;
    *arrays = {};
}

void LoadCoursePreview(const CourseDef& course)
{
    ReleaseBuffers();
    preview.hasModel = false;
    char path[1024];
    Utf16ToUtf8(course.FIELD_TEXTURE, path, sizeof path);
    preview.texture = CreateTextureFromFile(path);
    // Even without a picture the screen names the course it stands on, so
    // the text and the course always change together; only the model is
    // missing.
    Utf16ToUtf8(course.HEIGHT_MAP, path, sizeof path);
    HeightMap map;
    if (ReadHeightMap(path, &map) == HEIGHTMAP_OK) {
        preview.goalX = 1 - (course.GOAL[0] + course.GOAL[2]) / 2;
        preview.goalZ = (course.GOAL[1] + course.GOAL[3]) / 2;
        BuildPreviewMesh(map, course);
        FreeHeightMap(&map);
    }
    LoadCourseText(course);
    preview.course = course;
}

void ResetPreviewMaterial()
{
    preview.material = { {1, 1, 1, 1}, {1, 1, 1, 1}, {0, 0, 0, 1}, {0, 0, 0, 0}, 2.0f };
}

void DrawCoursePreview()
{
    const CourseSelect& screen = GetCourseSelect();
    if (screen.phase == SELECT_ENTERING)
        return;
    ClearDepth();
    if (preview.hasModel)
        DrawModel(screen);
    if (screen.phase == SELECT_STARTING)
        QueueVeil(screen.startDelay);
    FlushSprites();
}

void ReleaseCoursePreview()
{
    ReleaseBuffers();
    preview.hasModel = false;
}

// Course loading: clears the old course, then texture, height map, terrain
// grid and buffers, ball and obstacles, gravity, in that order.
#include <cstdio>
#include <memory>
#include <new>
#include "render/course.h"
#include "render/terrain.h"
#include "app/game.h"
#include "data/text_reader.h"
#include "physics/physics.h"
#include "platform/paths.h"
#include "platform/sys.h"

static CourseGraphics graphics;

const CourseGraphics& GetCourseGraphics()
{
    return graphics;
}

namespace {

struct Utf8Path {
    char text[1024];
};

Utf8Path PathOf(const char16_t* name)
{
    Utf8Path path;
    Utf16ToUtf8(name, path.text, sizeof path.text);
    return path;
}

void ShowPathMessage(const char* format, const char* path)
{
    char text[1400];
    std::snprintf(text, sizeof text, format, path);
    SysErrorBox(text);
}

void UploadVertices(const TerrainGrid& grid)
{
    std::unique_ptr<TerrainVertex[]> vertices(new (std::nothrow) TerrainVertex[grid.vertexCount]);
    uint32_t bytes = (uint32_t)((size_t)grid.vertexCount * sizeof(TerrainVertex));
    graphics.terrainVertices = vertices ? CreateVertexBuffer(bytes) : nullptr;
    if (!graphics.terrainVertices) {
        SysErrorBox("地形のメッシュデータの頂点バッファが作成できませんでした");
        return;
    }
    BuildTerrainVertices(grid, vertices.get());
    WriteVertexBuffer(graphics.terrainVertices, vertices.get(), bytes);
}

// 16-bit indices reach only 65,536 points (a 255 x 255 picture); larger
// grids get 32-bit indices instead of wrapped ones.
void UploadIndices(const TerrainGrid& grid)
{
    int count = 3 * grid.triangleCount;
    graphics.indexBits = grid.vertexCount > 65536 ? 32 : 16;
    uint32_t bytes = (uint32_t)count * (graphics.indexBits / 8);
    graphics.terrainIndices = CreateIndexBuffer(bytes, graphics.indexBits);
    if (!graphics.terrainIndices) {
        SysErrorBox("地形のメッシュデータのindexバッファが作成できませんでした");
        return;
    }
    graphics.triangleCount = grid.triangleCount;
    if (graphics.indexBits == 32) {
        WriteIndexBuffer(graphics.terrainIndices, grid.indices, bytes);
        return;
    }
    std::unique_ptr<uint16_t[]> low(new (std::nothrow) uint16_t[count]);
    if (!low) {
        // An unfilled buffer would draw garbage: go without the terrain mesh.
        ReleaseIndexBuffer(graphics.terrainIndices);
        graphics.terrainIndices = nullptr;
        graphics.triangleCount = 0;
        SysErrorBox("地形のメッシュデータのindexバッファが作成できませんでした");
        return;
    }
    for (int k = 0; k < count; k++)
        low[k] = (uint16_t)grid.indices[k];
    WriteIndexBuffer(graphics.terrainIndices, low.get(), bytes);
}

void AddBall(const float start[3], int nx, int nz, const CourseDef& course)
{
    const BallType& ball = SelectedBallType();
    Vec3 p = CoursePoint(start, nx, nz, course.GRID_SIZE, course.MAP_HEIGHT);
    AddCourseBody(BODY_SPHERE, p.x, p.y, p.z, ball.size, ball.size, ball.size,
                  ball.weight, ball.bound, 0, 0, 0);
}

void AddObstacles(const CourseDef& course, int nx, int nz)
{
    for (const ObstacleDef* o = course.firstObstacle; o; o = o->next) {
        Vec3 p = CoursePoint(o->position, nx, nz, course.GRID_SIZE, course.MAP_HEIGHT);
        AddCourseBody(o->shape, p.x, p.y, p.z, o->size[0], o->size[1], o->size[2],
                      o->weight, game.settings.groundBound,
                      o->rotation[0], o->rotation[1], o->rotation[2]);
    }
}

}  // namespace

Vec3 CoursePoint(const float fraction[3], int nx, int nz, float gridSize, float mapHeight)
{
    float w = nx * gridSize;
    float h = nz * gridSize;
    return { w * (1 - fraction[0]) - w / 2, fraction[1] * mapHeight, h * fraction[2] - h / 2 };
}

void ReleaseCourseGraphics()
{
    if (graphics.terrainVertices)
        ReleaseVertexBuffer(graphics.terrainVertices);
    if (graphics.terrainIndices)
        ReleaseIndexBuffer(graphics.terrainIndices);
    if (graphics.fieldTexture)
        ReleaseTexture(graphics.fieldTexture);
    graphics = {};
}

bool BuildTerrainMesh(const CourseDef& course)
{
    Utf8Path path = PathOf(course.HEIGHT_MAP);
    HeightMap map;
    if (ReadHeightMap(path.text, &map) != HEIGHTMAP_OK)
        return false;
    TerrainGrid grid;
    int built = BuildTerrainGrid(map, course.MAP_HEIGHT, course.GRID_SIZE, &grid);
    FreeHeightMap(&map);
    if (built == 0) {
        ShowPathMessage("地形が大きすぎます（物理空間の範囲 ±1000 を超えています）。\n'%s'", path.text);
        return false;
    }
    if (built < 0) {
        ShowPathMessage("地形のメモリが確保できませんでした。\n'%s'", path.text);
        return false;
    }
    if (!BuildTerrainCollision(grid, game.settings.groundBound))
        return false;
    const TerrainGrid& kept = CurrentTerrainGrid();
    UploadVertices(kept);
    UploadIndices(kept);
    return true;
}

bool LoadCourse(int index)
{
    if (index < 0 || index >= courseList.courseCount || !courseList.courses)
        return false;
    const CourseDef& course = courseList.courses[index];
    ClearCourseBodies();
    ReleaseCourseGraphics();
    SysMakeGameFolderCurrent();
    Utf8Path texture = PathOf(course.FIELD_TEXTURE);
    graphics.fieldTexture = CreateTextureFromFile(texture.text);
    if (!graphics.fieldTexture) {
        ShowPathMessage("テクスチャの読み込みに失敗しました。\n'%s'", texture.text);
        return false;
    }
    if (!BuildTerrainMesh(course))
        return false;
    const TerrainGrid& grid = CurrentTerrainGrid();
    AddBall(course.START, grid.NX, grid.NZ, course);
    AddObstacles(course, grid.NX, grid.NZ);
    const GameSettings& s = game.settings;
    SetCourseGravity(s.gravity[s.gravitySel]);
    game.currentCourse = index;
    return true;
}

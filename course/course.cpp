// Course loading: clears the old course, then texture, height map, terrain
// grid, collision and buffers, ball and obstacles, gravity, in that order.
#include "course/course.h"

#include <cstdio>
#include <memory>
#include <new>

#include "core/game.h"
#include "course/course_local.h"
#include "data/course_packs.h"
#include "data/text_reader.h"
#include "data/texts.h"
#include "physics/physics.h"
#include "platform/paths.h"
#include "platform/sys.h"
#include "render/scene.h"
#include "render/shapes.h"

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

void UploadVertices(const TerrainGrid& grid, CourseGraphics* graphics)
{
    std::unique_ptr<TerrainVertex[]> vertices(new (std::nothrow) TerrainVertex[grid.vertexCount]);
    if (vertices)
        BuildTerrainVertices(grid, vertices.get());
    graphics->terrainVertices = vertices ? UploadTerrainVertices(grid, vertices.get()) : nullptr;
    if (!graphics->terrainVertices)
        SysErrorBox(Tr(TEXT_MSG_VERTEX_BUFFER));
}

void UploadIndices(const TerrainGrid& grid, CourseGraphics* graphics)
{
    graphics->terrainIndices = UploadTerrainIndices(grid, &graphics->indexBits);
    if (!graphics->terrainIndices) {
        SysErrorBox(Tr(TEXT_MSG_INDEX_BUFFER));
        return;
    }
    graphics->triangleCount = grid.triangleCount;
}

// Height map -> grid -> collision -> buffers. The grid's arrays pass to the
// physics terrain, which keeps them for the buffers and the ground rays.
bool BuildTerrain(const CourseDef& course, CourseGraphics* graphics)
{
    Utf8Path path = PathOf(course.HEIGHT_MAP);
    HeightMap map;
    if (ReadHeightMap(path.text, &map) != HEIGHTMAP_OK)
        return false;
    TerrainGrid grid;
    int built = BuildTerrainGrid(map, course.MAP_HEIGHT, course.GRID_SIZE, &grid);
    FreeHeightMap(&map);
    if (built == 0) {
        ShowPathMessage(Tr(TEXT_MSG_TERRAIN_TOO_BIG), path.text);
        return false;
    }
    if (built < 0) {
        ShowPathMessage(Tr(TEXT_MSG_TERRAIN_MEMORY), path.text);
        return false;
    }
    if (!BuildTerrainCollision(grid, game.settings.groundBound))
        return false;
    const TerrainGrid& kept = CurrentTerrainGrid();
    UploadVertices(kept, graphics);
    UploadIndices(kept, graphics);
    return true;
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

// Everything up to the bodies; what was made before a failure is handed to
// the renderer all the same, as the old course is already gone.
bool BuildCourse(const CourseDef& course, CourseGraphics* graphics)
{
    Utf8Path texture = PathOf(course.FIELD_TEXTURE);
    graphics->fieldTexture = CreateTextureFromFile(texture.text);
    if (!graphics->fieldTexture) {
        ShowPathMessage(Tr(TEXT_MSG_FIELD_TEXTURE), texture.text);
        return false;
    }
    if (!BuildTerrain(course, graphics))
        return false;
    const TerrainGrid& grid = CurrentTerrainGrid();
    AddBall(course.START, grid.NX, grid.NZ, course);
    AddObstacles(course, grid.NX, grid.NZ);
    return true;
}

}  // namespace

void ReadyCourseWorld()
{
    if (!PhysicsWorldReady())
        CreatePhysicsWorld();
    if (!ShapeMeshesLoaded())
        LoadShapeMeshes();
}

bool LoadCourse(int index)
{
    if (index < 0 || index >= courseList.courseCount || !courseList.courses)
        return false;
    const CourseDef& course = courseList.courses[index];
    ClearCourseBodies();
    ReleaseCourseGraphics();
    MakeCourseFolderCurrent(index);
    CourseGraphics graphics = {};
    bool built = BuildCourse(course, &graphics);
    SysMakeGameFolderCurrent();
    SetCourseGraphics(graphics);
    if (!built)
        return false;
    const GameSettings& s = game.settings;
    SetCourseGravity(s.gravity[s.gravitySel]);
    game.currentCourse = index;
    return true;
}

// The course-select preview's model: a second copy of a course's terrain in
// buffers of its own, with the goal's place and height read from the height
// map; the renderer draws it with the ball, obstacles and goal column placed
// from the course file (no physics).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "course/course.h"
#include "course/course_local.h"
#include "data/course_packs.h"
#include "data/text_reader.h"
#include "data/texts.h"
#include "platform/paths.h"
#include "render/course_text.h"
#include "render/preview.h"

namespace {

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

// Failures leave a buffer absent and are not reported.
void BuildPreviewMesh(const HeightMap& map, const CourseDef& course, CoursePreview* model)
{
    PreviewArrays arrays;
    if (!BuildPreviewArrays(map, course, model->goalX, model->goalZ, &arrays, &model->goalHeight))
        return;
    model->low = model->high = {arrays.vertices[0].x, arrays.vertices[0].y, arrays.vertices[0].z};
    for (int k = 1; k < arrays.grid.vertexCount; k++) {
        const TerrainVertex& v = arrays.vertices[k];
        model->low = {std::min(model->low.x, v.x), std::min(model->low.y, v.y), std::min(model->low.z, v.z)};
        model->high = {std::max(model->high.x, v.x), std::max(model->high.y, v.y), std::max(model->high.z, v.z)};
    }
    model->vertices = UploadTerrainVertices(arrays.grid, arrays.vertices);
    model->indices = UploadTerrainIndices(arrays.grid, &model->indexBits);
    model->NX = arrays.grid.NX;
    model->NZ = arrays.grid.NZ;
    model->vertexCount = arrays.grid.vertexCount;
    model->triangleCount = model->indices ? arrays.grid.triangleCount : 0;
    model->hasModel = true;
    FreePreviewArrays(&arrays);
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

// The model starts from the one shown before, so the material and a goal
// height the new grid does not reach carry over.
void LoadCoursePreview(const CourseDef& course)
{
    ReleaseCoursePreview();
    CoursePreview model = GetCoursePreview();
    char path[1024];
    Utf16ToUtf8(course.FIELD_TEXTURE, path, sizeof path);
    model.texture = CreateTextureFromFile(path);
    // Even without a picture the screen names the course it stands on, so
    // the text and the course always change together; only the model is
    // missing.
    // A refused height map is said in the description panel, not in a box
    // that would come up each time the player browses past the course (the
    // race load still shows its box).
    Utf16ToUtf8(course.HEIGHT_MAP, path, sizeof path);
    HeightMap map;
    char why[256], note[1600] = "";
    HeightMapResult read = ReadHeightMapQuietly(path, &map, why, sizeof why);
    if (read == HEIGHTMAP_OK) {
        model.goalX = 1 - (course.GOAL[0] + course.GOAL[2]) / 2;
        model.goalZ = (course.GOAL[1] + course.GOAL[3]) / 2;
        BuildPreviewMesh(map, course, &model);
        FreeHeightMap(&map);
    } else if (read == HEIGHTMAP_REFUSED) {
        // The panel's font draws a backslash as a yen sign.
        std::replace(path, path + strlen(path), '\\', '/');
        snprintf(note, sizeof note, Tr(TEXT_SELECT_HEIGHT_MAP), why, path);
    }
    LoadCourseText(course, note);
    model.course = course;
    SetCoursePreview(model);
}

void LoadCoursePreview(int index)
{
    if (index < 0 || index >= courseList.courseCount || !courseList.courses)
        return;
    MakeCourseFolderCurrent(index);
    LoadCoursePreview(courseList.courses[index]);
    SysMakeGameFolderCurrent();
}

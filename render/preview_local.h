// What the preview's own file and its tests share.
#pragma once
#include <cstdint>
#include "data/course_list.h"
#include "render/device.h"
#include "course/terrain.h"

struct CoursePreview {
    CourseDef course;            // the course last shown (previewCourse)
    bool hasModel;               // its height map was read and its grid built
    Texture* texture;            // FIELD_TEXTURE, or null: drawn untextured
    VertexBuffer* vertices;      // one TerrainVertex per grid point
    IndexBuffer* indices;        // 3 per triangle
    int indexBits;               // 16, or 32 past 65,536 points (as the race terrain)
    int NX, NZ;                  // grid points across and down
    int vertexCount;
    int triangleCount;
    float goalX, goalZ;          // goal centre: x from the right edge, z from the top
    float goalHeight;            // sample value under the goal; kept when outside the grid
    Material material;           // PreviewMaterial
};
const CoursePreview& GetCoursePreview();

// The preview terrain before it goes to the device: exactly the race
// terrain's vertices and triangles for the same picture and course.
struct PreviewArrays {
    TerrainGrid grid;            // positions and indices, new[]
    TerrainVertex* vertices;     // grid.vertexCount, new[]
};
// 1 built; 0 when the grid cannot be built (too large, out of memory).
// Writes the goal cell's sample value to *goalHeight only when the cell lies
// in the grid.
int  BuildPreviewArrays(const HeightMap& map, const CourseDef& course, float goalX, float goalZ,
                        PreviewArrays* out, float* goalHeight);
void FreePreviewArrays(PreviewArrays* arrays);

// What the course builder's files and their tests share.
#pragma once
#include <cstdint>

#include "course/terrain.h"
#include "data/course_list.h"
#include "render/device.h"

// The grid's points as one vertex buffer; null when it cannot be made.
VertexBuffer* UploadTerrainVertices(const TerrainGrid& grid, const TerrainVertex* vertices);
// The grid's triangles as one index buffer: 16-bit indices reach only 65,536
// points (a 255 x 255 picture), so larger grids get 32-bit indices instead
// of wrapped ones. *indexBits is set either way; null when the buffer cannot
// be made or filled (an unfilled buffer would draw garbage).
IndexBuffer* UploadTerrainIndices(const TerrainGrid& grid, int* indexBits);

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

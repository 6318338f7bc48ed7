// Loading one course: terrain grid, terrain buffers, field texture, bodies.
#pragma once
#include "data/course_list.h"
#include "render/device.h"
#include "core/xmath.h"

// The loaded course's graphics; each null when absent.
struct CourseGraphics {
    Texture* fieldTexture;            // FIELD_TEXTURE with a full mip chain
    VertexBuffer* terrainVertices;    // one TerrainVertex per grid point
    IndexBuffer* terrainIndices;      // 3 per triangle
    int indexBits;                    // 16, or 32 when the grid has over 65,536 points
    int triangleCount;                // triangles in terrainIndices
};
const CourseGraphics& GetCourseGraphics();

// Makes courseList.courses[index] the course being played; game.currentCourse
// follows successful loads only. Messages are shown where loading fails.
bool LoadCourse(int index);
bool BuildTerrainMesh(const CourseDef& course);
void ReleaseCourseGraphics();

// A point given as fractions of the height-map picture (fx from its left
// edge, fz from its top edge), in the world of a grid of nx x nz points.
Vec3 CoursePoint(const float fraction[3], int nx, int nz, float gridSize, float mapHeight);

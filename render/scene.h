// Drawing the course scene: terrain, ball and obstacles, shadows, goal marker.
#pragma once
#include <cstdint>

#include "core/xmath.h"

struct ShapeMesh;
struct ObstacleDef;
struct Texture;
struct VertexBuffer;
struct IndexBuffer;

// The loaded course's graphics, made by the course loader (course/); each
// null when absent.
struct CourseGraphics {
    Texture* fieldTexture;            // FIELD_TEXTURE with a full mip chain
    VertexBuffer* terrainVertices;    // one TerrainVertex per grid point
    IndexBuffer* terrainIndices;      // 3 per triangle
    int indexBits;                    // 16, or 32 when the grid has over 65,536 points
    int triangleCount;                // triangles in terrainIndices
};
const CourseGraphics& GetCourseGraphics();
// The scene takes over the course's texture and buffers; call
// ReleaseCourseGraphics first, or the ones before are lost.
void SetCourseGraphics(const CourseGraphics& graphics);
void ReleaseCourseGraphics();

void DrawTerrain();
void DrawBallAndObstacles();
void DrawShadows();
void DrawGoalMarker();

// Shared with the other drawers of shapes (course preview, ghost ball).
// A material index past the mesh's list takes the last one there is.
uint32_t ShapeMaterialIndex(const ShapeMesh& shape, int32_t wanted);
// Subset 0 of the shape's mesh with that material, at `world`.
void DrawShape(const ShapeMesh& shape, int32_t material, const Matrix& world);
// An obstacle's size as a scaling (half-extents; the pillar's axis is z).
void ObstacleScaling(Matrix* out, const ObstacleDef& o);

// Drawing the course scene: terrain, ball and obstacles, shadows, goal marker.
#pragma once
#include <cstdint>

#include "core/xmath.h"

struct ShapeMesh;
struct ObstacleDef;

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

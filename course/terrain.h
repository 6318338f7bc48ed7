// The terrain of a course: the grid built from its height map, shared by the
// physics terrain and the terrain mesh.
#pragma once
#include "data/heightmap.h"
#include "physics/physics.h"
#include "render/device.h"

// Builds positions and triangles for a (width + 1) x (height + 1) grid.
// 0 when a point would leave the +-1000 box the physics world covers, -1 when
// memory for the arrays runs out (no arrays are kept in either case).
int BuildTerrainGrid(const HeightMap& map, float mapHeight, float gridSize, TerrainGrid* grid);

// One lit, textured vertex per grid point, normals from the neighbours.
void BuildTerrainVertices(const TerrainGrid& grid, TerrainVertex* out);

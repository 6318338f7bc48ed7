// The terrain grid: one point per picture corner, two triangles per pixel,
// and the render vertices with their texture coordinates and normals, and
// the GPU buffers made from them.
#include <cmath>
#include <memory>
#include <new>
#include "core/xmath.h"
#include "course/course_local.h"

namespace {

const float kWorldLimit = 1000;     // the physics world's box

bool InsideWorld(const GridPoint& p)
{
    // Written so that a NaN fails too.
    return std::fabs(p.x) <= kWorldLimit && std::fabs(p.y) <= kWorldLimit
        && std::fabs(p.z) <= kWorldLimit;
}

// Corners of the grid, checked before anything is allocated.
bool OutlineInsideWorld(int nx, int nz, float gridSize)
{
    float halfX = nx / 2.0f, halfZ = nz / 2.0f;
    GridPoint low = { -halfX * gridSize, 0, -halfZ * gridSize, 0 };
    GridPoint high = { (nx - 1 - halfX) * gridSize, 0, (nz - 1 - halfZ) * gridSize, 0 };
    return InsideWorld(low) && InsideWorld(high);
}

bool FillPositions(const HeightMap& map, TerrainGrid* grid)
{
    int nx = grid->NX, nz = grid->NZ;
    for (int j = 0; j < nz; j++) {
        for (int i = 0; i < nx; i++) {
            // Rightmost column feeds grid columns 0 and 1, top row rows 0 and 1.
            int px = i > 0 ? i - 1 : 0;
            int pz = j > 0 ? j - 1 : 0;
            GridPoint& p = grid->positions[j * nx + i];
            p.x = ((float)i - nx / 2.0f) * grid->GRID_SIZE;
            p.y = grid->MAP_HEIGHT * HeightSample(map, px, pz);
            p.z = ((float)j - nz / 2.0f) * grid->GRID_SIZE;
            p.w = 0;
            if (!InsideWorld(p))
                return false;
        }
    }
    return true;
}

// Both triangles of a cell run clockwise seen from +y.
void FillIndices(TerrainGrid* grid)
{
    int nx = grid->NX;
    int32_t* out = grid->indices;
    for (int i = 1; i < nx; i++) {
        for (int j = 0; j < grid->NZ - 1; j++) {
            int32_t v00 = j * nx + i - 1, v10 = j * nx + i;
            int32_t v01 = (j + 1) * nx + i - 1, v11 = (j + 1) * nx + i;
            out[0] = v00; out[1] = v11; out[2] = v10;
            out[3] = v00; out[4] = v01; out[5] = v11;
            out += 6;
        }
    }
}

Vec3 Difference(const GridPoint& a, const GridPoint& b)
{
    return { a.x - b.x, a.y - b.y, a.z - b.z };
}

// Missing neighbours count as zero; the far side stops one column and one
// row short, so the last two use a one-sided difference.
Vec3 GridNormal(const TerrainGrid& grid, int i, int j)
{
    const GridPoint* pos = grid.positions;
    int nx = grid.NX, at = j * nx + i;
    Vec3 l = {}, r = {}, d1 = {}, d2 = {};
    if (i > 0) l = Difference(pos[at - 1], pos[at]);
    if (i < nx - 2) r = Difference(pos[at + 1], pos[at]);
    if (j > 0) d1 = Difference(pos[at - nx], pos[at]);
    if (j < grid.NZ - 2) d2 = Difference(pos[at + nx], pos[at]);
    Vec3 across = { r.x - l.x, r.y - l.y, r.z - l.z };
    Vec3 along = { d2.x - d1.x, d2.y - d1.y, d2.z - d1.z };
    Vec3 a, b;
    Vec3Normalize(&a, &across);
    Vec3Normalize(&b, &along);
    return { -(a.y * b.z - a.z * b.y), -(a.z * b.x - a.x * b.z), -(a.x * b.y - a.y * b.x) };
}

}  // namespace

int BuildTerrainGrid(const HeightMap& map, float mapHeight, float gridSize, TerrainGrid* grid)
{
    *grid = {};
    grid->NX = map.width + 1;
    grid->NZ = map.height + 1;
    grid->vertexCount = grid->NX * grid->NZ;
    grid->triangleCount = 2 * (grid->NX - 1) * (grid->NZ - 1);
    grid->MAP_HEIGHT = mapHeight;
    grid->GRID_SIZE = gridSize;
    if (!OutlineInsideWorld(grid->NX, grid->NZ, gridSize))
        return 0;
    grid->positions = new (std::nothrow) GridPoint[grid->vertexCount];
    grid->indices = new (std::nothrow) int32_t[3 * (size_t)grid->triangleCount];
    int res = grid->positions && grid->indices ? 1 : -1;
    if (res == 1 && !FillPositions(map, grid))
        res = 0;
    if (res != 1) {
        delete[] grid->positions;
        delete[] grid->indices;
        grid->positions = nullptr;
        grid->indices = nullptr;
        return res;
    }
    FillIndices(grid);
    return 1;
}

void BuildTerrainVertices(const TerrainGrid& grid, TerrainVertex* out)
{
    for (int j = 0; j < grid.NZ; j++) {
        for (int i = 0; i < grid.NX; i++) {
            const GridPoint& p = grid.positions[j * grid.NX + i];
            Vec3 n = GridNormal(grid, i, j);
            TerrainVertex& v = out[j * grid.NX + i];
            v = { p.x, p.y, p.z, n.x, n.y, n.z, 0xFFFFFFFFu,
                  (float)(grid.NX - 1 - i) / (float)(grid.NX - 1),
                  (float)j / (float)(grid.NZ - 1) };
        }
    }
}

VertexBuffer* UploadTerrainVertices(const TerrainGrid& grid, const TerrainVertex* vertices)
{
    uint32_t bytes = (uint32_t)((size_t)grid.vertexCount * sizeof(TerrainVertex));
    VertexBuffer* buffer = CreateVertexBuffer(bytes);
    if (buffer)
        WriteVertexBuffer(buffer, vertices, bytes);
    return buffer;
}

IndexBuffer* UploadTerrainIndices(const TerrainGrid& grid, int* indexBits)
{
    int count = 3 * grid.triangleCount;
    *indexBits = grid.vertexCount > 65536 ? 32 : 16;
    uint32_t bytes = (uint32_t)count * (*indexBits / 8);
    IndexBuffer* buffer = CreateIndexBuffer(bytes, *indexBits);
    if (!buffer || *indexBits == 32) {
        if (buffer)
            WriteIndexBuffer(buffer, grid.indices, bytes);
        return buffer;
    }
    std::unique_ptr<uint16_t[]> low(new (std::nothrow) uint16_t[count]);
    if (!low) {
        ReleaseIndexBuffer(buffer);
        return nullptr;
    }
    for (int k = 0; k < count; k++)
        low[k] = (uint16_t)grid.indices[k];
    WriteIndexBuffer(buffer, low.get(), bytes);
    return buffer;
}

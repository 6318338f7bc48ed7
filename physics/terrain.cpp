// The terrain as one static triangle mesh, wrapped around the grid arrays
// that course loading built, so the ball rolls on exactly what is drawn.
#include "physics/physics_local.h"

// Before any course is loaded the grid reads 20 x 20 and holds no arrays.
static TerrainGrid terrainGrid = { 20, 20, 400, 2 * 19 * 19, nullptr, nullptr, 0, 0 };

const TerrainGrid& CurrentTerrainGrid()
{
    return terrainGrid;
}

void ReleaseTerrainArrays()
{
    delete[] terrainGrid.positions;
    delete[] terrainGrid.indices;
    terrainGrid.positions = nullptr;
    terrainGrid.indices = nullptr;
    delete physics.terrainMesh;
    physics.terrainMesh = nullptr;
    delete physics.terrainBvh;
    physics.terrainBvh = nullptr;
}

static btIndexedMesh IndexedMeshOf(const TerrainGrid& grid)
{
    btIndexedMesh mesh;
    mesh.m_numTriangles = grid.triangleCount;
    mesh.m_triangleIndexBase = reinterpret_cast<const unsigned char*>(grid.indices);
    mesh.m_triangleIndexStride = 3 * sizeof(int32_t);
    mesh.m_numVertices = grid.vertexCount;
    mesh.m_vertexBase = reinterpret_cast<const unsigned char*>(grid.positions);
    mesh.m_vertexStride = sizeof(GridPoint);
    mesh.m_indexType = PHY_INTEGER;
    mesh.m_vertexType = PHY_FLOAT;
    return mesh;
}

// The bounds Bullet's shape would find with six passes over every triangle
// (along each axis the first vertex furthest out, no margin), found in one
// pass over the same vertices in the same order and handed to the mesh, so
// that the shape takes them as they are.
static void SetMeshBounds(btTriangleIndexVertexArray* mesh, const TerrainGrid& grid)
{
    float high[3] = {-1e18f, -1e18f, -1e18f}, lowKey[3] = {-1e18f, -1e18f, -1e18f}, low[3] = {0, 0, 0};
    for (int k = 0; k < 3 * grid.triangleCount; k++) {
        const GridPoint& p = grid.positions[grid.indices[k]];
        const float c[3] = {p.x, p.y, p.z};
        for (int a = 0; a < 3; a++) {
            if (c[a] > high[a])
                high[a] = c[a];
            if (-c[a] > lowKey[a]) {
                lowKey[a] = -c[a];
                low[a] = c[a];
            }
        }
    }
    // Adding and taking away Bullet's zero margin turns -0 as Bullet does.
    mesh->setPremadeAabb(btVector3(low[0] - 0.0f, low[1] - 0.0f, low[2] - 0.0f),
                         btVector3(high[0] + 0.0f, high[1] + 0.0f, high[2] + 0.0f));
}

int BuildTerrainCollision(const TerrainGrid& grid, float bounce)
{
    static_assert(sizeof(GridPoint) == sizeof(btVector3), "grid points are read as Bullet vectors");
    if (!physics.dynamicsWorld || grid.triangleCount <= 0 || !grid.positions || !grid.indices) {
        delete[] grid.positions;
        delete[] grid.indices;
        return 0;
    }
    // The terrain must be object 0 and its shape must not outlive its arrays.
    if (physics.terrainMesh)
        ClearCourseBodies();
    terrainGrid = grid;
    physics.terrainMesh = new btTriangleIndexVertexArray();
    physics.terrainMesh->addIndexedMesh(IndexedMeshOf(terrainGrid), PHY_INTEGER);
    SetMeshBounds(physics.terrainMesh, terrainGrid);

    // The same tree Bullet would build inside the shape, made or read apart.
    btBvhTriangleMeshShape* shape =
        new btBvhTriangleMeshShape(physics.terrainMesh, true, TerrainBvhMin(), TerrainBvhMax(), false);
    physics.terrainBvh = TerrainBvhFor(terrainGrid, physics.terrainMesh, &physics.terrainBvhCached);
    shape->setOptimizedBvh(physics.terrainBvh, btVector3(1, 1, 1));
    physics.collisionShapes.push_back(shape);

    btTransform identity;
    identity.setIdentity();
    btRigidBody* body = CreateRigidBody(0, identity, shape);
    body->setCollisionFlags(body->getCollisionFlags()
                            | btCollisionObject::CF_KINEMATIC_OBJECT
                            | btCollisionObject::CF_CUSTOM_MATERIAL_CALLBACK);
    body->setRestitution(bounce);
    body->setFriction(120);
    return 1;
}

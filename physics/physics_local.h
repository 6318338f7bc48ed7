// What the physics files share and nobody else needs: the Bullet objects.
#pragma once
#include <btBulletDynamicsCommon.h>
#include "physics/physics.h"

struct PhysicsWorld {
    btAxisSweep3* broadphase;                            // shared by both worlds, +-1000
    btDefaultCollisionConfiguration* collisionConfiguration;
    btCollisionDispatcher* dispatcher;                   // shared by both worlds
    btSequentialImpulseConstraintSolver* solver;
    btDiscreteDynamicsWorld* dynamicsWorld;              // the simulated world
    btCollisionWorld* queryWorld;                        // always empty; hosts pair tests
    btAlignedObjectArray<btCollisionShape*> collisionShapes;   // current course, creation order
    btTriangleIndexVertexArray* terrainMesh;             // wraps the grid arrays
    btOptimizedBvh* terrainBvh;                          // the terrain shape's tree; ours to delete
    bool terrainBvhCached;                               // the last terrain's tree came from the cache
};
extern PhysicsWorld physics;

btRigidBody* CreateRigidBody(float mass, const btTransform& start, btCollisionShape* shape);
// Object index as a rigid body with a motion state, or null.
btRigidBody* BodyWithMotionState(int index);
void WriteRowMatrix(Matrix* out, const btTransform& t);
void ReleaseTerrainArrays();     // frees the grid arrays, the mesh interface and the tree
void ForgetContacts();           // the bodies are gone: no pair touches any more

// The bounds every terrain tree is quantized in: the physics world's.
btVector3 TerrainBvhMin();
btVector3 TerrainBvhMax();
// The optimised tree of the grid's mesh (new; the caller deletes it after
// the shape): read from the cache when a file for this very mesh is there,
// else built by Bullet and, for a big mesh, kept there for the next load.
btOptimizedBvh* TerrainBvhFor(const TerrainGrid& grid, btStridingMeshInterface* mesh, bool* fromCache);

// A cache file ("terrain-<key>.bvh" in the cache folder): this
// header, as it lies in memory, then the tree's quantized nodes and subtree
// headers.
struct TerrainCacheHeader {
    char magic[4];              // "KBVH"
    uint32_t format;            // 1
    uint32_t byteOrder;         // 0x01020304 as it lies in memory
    uint32_t bulletVersion;     // btGetVersion() of the build that wrote it
    uint32_t nodeBytes;         // sizeof(btQuantizedBvhNode)
    uint32_t subtreeBytes;      // sizeof(btBvhSubtreeInfo)
    uint64_t keyA, keyB;        // hash of the mesh's vertex and index bytes
    int32_t vertexCount;
    int32_t triangleCount;
    int32_t nodeCount;          // 2 * triangleCount - 1
    int32_t subtreeCount;
    uint64_t payloadA, payloadB;   // TerrainCacheHash of the nodes and headers
};
// The hash that names a mesh's file and checks the tree in it.
void TerrainCacheHash(const void* data, size_t size, uint64_t hash[2]);

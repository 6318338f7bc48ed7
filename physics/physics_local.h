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
};
extern PhysicsWorld physics;

btRigidBody* CreateRigidBody(float mass, const btTransform& start, btCollisionShape* shape);
// Object index as a rigid body with a motion state, or null.
btRigidBody* BodyWithMotionState(int index);
void WriteRowMatrix(Matrix* out, const btTransform& t);
void ReleaseTerrainArrays();     // frees the grid arrays and the mesh interface
void ForgetContacts();           // the bodies are gone: no pair touches any more

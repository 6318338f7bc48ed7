// The one Bullet world of the process, and the empty world that hosts the
// ball's contact tests.
#include "physics/physics_local.h"

PhysicsWorld physics;

void CreatePhysicsWorld()
{
    btVector3 worldMin(-1000, -1000, -1000);
    btVector3 worldMax(1000, 1000, 1000);
    physics.broadphase = new btAxisSweep3(worldMin, worldMax);
    btDefaultCollisionConstructionInfo info;
    physics.collisionConfiguration = new btDefaultCollisionConfiguration(info);
    physics.dispatcher = new btCollisionDispatcher(physics.collisionConfiguration);
    physics.solver = new btSequentialImpulseConstraintSolver();
    physics.dynamicsWorld = new btDiscreteDynamicsWorld(
        physics.dispatcher, physics.broadphase, physics.solver, physics.collisionConfiguration);
    // The game reads motion states as the stepped transforms; without this
    // they would trail the bodies by one step.
    physics.dynamicsWorld->setLatencyMotionStateInterpolation(false);
    physics.queryWorld = new btCollisionWorld(
        physics.dispatcher, physics.broadphase, physics.collisionConfiguration);
    physics.dynamicsWorld->setGravity(btVector3(0, -58.5f, 0));
}

void SetCourseGravity(float g)
{
    if (!physics.dynamicsWorld)
        return;
    float y = (float)((double)g * -58.5);
    physics.dynamicsWorld->setGravity(btVector3(0, y, 0));
}

void StepPhysicsWorld()
{
    if (physics.dynamicsWorld)
        physics.dynamicsWorld->stepSimulation(0.016666668f, 10, 0.016666668f);
}

template <class T>
static void DeleteIfPresent(T*& object)
{
    delete object;
    object = nullptr;
}

void DestroyPhysicsWorld()
{
    ClearCourseBodies();
    DeleteIfPresent(physics.dynamicsWorld);
    DeleteIfPresent(physics.queryWorld);
    DeleteIfPresent(physics.solver);
    DeleteIfPresent(physics.broadphase);
    DeleteIfPresent(physics.dispatcher);
    DeleteIfPresent(physics.collisionConfiguration);
    physics.collisionShapes.clear();
    ReleaseTerrainArrays();
}

int PhysicsWorldReady()
{
    return physics.dynamicsWorld ? 1 : 0;
}

int PhysicsBodyCount()
{
    return physics.dynamicsWorld ? physics.dynamicsWorld->getNumCollisionObjects() : 0;
}

int PhysicsShapeCount()
{
    return physics.collisionShapes.size();
}

// Making and unmaking the course's rigid bodies, and the game's few handles
// on them.
#include "physics/physics_local.h"

btRigidBody* CreateRigidBody(float mass, const btTransform& start, btCollisionShape* shape)
{
    btVector3 inertia(0, 0, 0);
    if (mass != 0)
        shape->calculateLocalInertia(mass, inertia);
    btDefaultMotionState* motionState = new btDefaultMotionState(start);
    btRigidBody::btRigidBodyConstructionInfo info(mass, motionState, shape, inertia);
    btRigidBody* body = new btRigidBody(info);
    physics.dynamicsWorld->addRigidBody(body);
    return body;
}

static btCollisionShape* MakeShape(int code, float s0, float s1, float s2)
{
    switch (code) {
    case BODY_SPHERE: return new btSphereShape(s0);
    case BODY_PILLAR: return new btCylinderShapeZ(btVector3(s0, s0, s1));
    // The course reader only gives 0..2; anything else still gets a body so
    // that the obstacles after it keep their numbers.
    default: return new btBoxShape(btVector3(s0, s1, s2));
    }
}

void AddCourseBody(int code, float x, float y, float z,
                   float s0, float s1, float s2, float mass, float bounce,
                   float rx, float ry, float rz)
{
    if (!physics.dynamicsWorld)
        return;
    btCollisionShape* shape = MakeShape(code, s0, s1, s2);
    physics.collisionShapes.push_back(shape);
    btQuaternion rotation;
    rotation.setEuler(ry, rx, rz);     // Ry * Rx * Rz: about z first, then x, then y
    btTransform start(rotation, btVector3(x, y, z));
    btRigidBody* body = CreateRigidBody(mass, start, shape);
    body->setRestitution(bounce);
    body->setLinearVelocity(btVector3(0, 0, 0));
}

void ClearCourseBodies()
{
    btDiscreteDynamicsWorld* world = physics.dynamicsWorld;
    for (int i = world ? world->getNumCollisionObjects() - 1 : -1; i >= 0; i--) {
        btCollisionObject* object = world->getCollisionObjectArray()[i];
        btRigidBody* body = btRigidBody::upcast(object);
        if (body && body->getMotionState())
            delete body->getMotionState();
        world->removeCollisionObject(object);
        delete object;
    }
    for (int i = 0; i < physics.collisionShapes.size(); i++)
        delete physics.collisionShapes[i];
    physics.collisionShapes.clear();
    ReleaseTerrainArrays();
    ForgetContacts();
}

btRigidBody* BodyWithMotionState(int index)
{
    btDiscreteDynamicsWorld* world = physics.dynamicsWorld;
    if (!world || index < 0 || index >= world->getNumCollisionObjects())
        return nullptr;
    btRigidBody* body = btRigidBody::upcast(world->getCollisionObjectArray()[index]);
    return body && body->getMotionState() ? body : nullptr;
}

void GetBallVelocity(Vec3* out)
{
    btRigidBody* ball = BodyWithMotionState(1);
    if (!ball)
        return;
    const btVector3& v = ball->getLinearVelocity();
    *out = Vec3{ v.x(), v.y(), v.z() };
}

void PushBall(const Vec3& impulse, const Vec3& relPos)
{
    btRigidBody* ball = BodyWithMotionState(1);
    if (!ball)
        return;
    ball->activate(true);
    ball->applyImpulse(btVector3(impulse.x, impulse.y, impulse.z),
                       btVector3(relPos.x, relPos.y, relPos.z));
}

void WriteRowMatrix(Matrix* out, const btTransform& t)
{
    const btMatrix3x3& basis = t.getBasis();
    for (int r = 0; r < 3; r++) {
        for (int c = 0; c < 3; c++)
            out->m[r][c] = basis[c][r];
        out->m[r][3] = 0;
    }
    const btVector3& origin = t.getOrigin();
    out->m[3][0] = origin.x();
    out->m[3][1] = origin.y();
    out->m[3][2] = origin.z();
    out->m[3][3] = 1;
}

void GetBodyMatrix(Matrix* out, int index)
{
    btRigidBody* body = BodyWithMotionState(index);
    if (!body || !out)
        return;
    btTransform t;
    body->getMotionState()->getWorldTransform(t);
    WriteRowMatrix(out, t);
}

void PlaceBody(int index, const Matrix& world)
{
    btRigidBody* body = BodyWithMotionState(index);
    if (!body)
        return;
    btMatrix3x3 basis;
    for (int r = 0; r < 3; r++)
        for (int c = 0; c < 3; c++)
            basis[c][r] = world.m[r][c];
    btTransform t(basis, btVector3(world.m[3][0], world.m[3][1], world.m[3][2]));
    body->setWorldTransform(t);
    body->getMotionState()->setWorldTransform(t);
    body->setLinearVelocity(btVector3(0, 0, 0));
    body->setAngularVelocity(btVector3(0, 0, 0));
}

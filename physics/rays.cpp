// Ground rays for the shadows: where a segment from a body along the light
// first meets any other body, and the surface normal there.
#include "physics/physics_local.h"

#include <BulletCollision/CollisionShapes/btCollisionShape.h>
#include <LinearMath/btAabbUtil2.h>

namespace {

btVector3 ToBt(const Vec3& v)
{
    return btVector3(v.x, v.y, v.z);
}

Vec3 FromBt(const btVector3& v)
{
    return {v.x(), v.y(), v.z()};
}

// The cheap box test first: most bodies lie nowhere near a shadow's ray.
bool SegmentMeetsBox(const btVector3& from, const btVector3& to,
                     const btCollisionShape* shape, const btTransform& pose)
{
    btVector3 aabbMin, aabbMax, normal;
    shape->getAabb(pose, aabbMin, aabbMax);
    btScalar param = 1.0f;
    return btRayAabb(from, to, aabbMin, aabbMax, param, normal);
}

}  // namespace

bool CastGroundRay(Vec3* hitPoint, int excludeIndex, const Vec3& from, const Vec3& to,
                   Vec3* hitNormal)
{
    btDiscreteDynamicsWorld* world = physics.dynamicsWorld;
    if (!world)
        return false;
    btVector3 start = ToBt(from), end = ToBt(to);
    // One callback for all bodies: each can only report a hit nearer than
    // the nearest so far, so of two equally near hits the lower index wins.
    btCollisionWorld::ClosestRayResultCallback callback(start, end);
    btTransform startPose(btMatrix3x3::getIdentity(), start);
    btTransform endPose(btMatrix3x3::getIdentity(), end);
    btScalar best = 1.0f;
    bool hit = false;
    btCollisionObject probe;      // stands in for each body at its drawn pose
    int count = world->getNumCollisionObjects();
    for (int i = 0; i < count; i++) {
        btRigidBody* body = i == excludeIndex ? nullptr : BodyWithMotionState(i);
        if (!body)
            continue;
        // The drawn pose, which the shadow must match, not the simulated one.
        btTransform pose;
        body->getMotionState()->getWorldTransform(pose);
        btCollisionShape* shape = body->getCollisionShape();
        if (!SegmentMeetsBox(start, end, shape, pose))
            continue;
        probe.setWorldTransform(pose);
        probe.setCollisionShape(shape);
        btCollisionWorld::rayTestSingle(startPose, endPose, &probe, shape, pose, callback);
        if (callback.hasHit() && callback.m_closestHitFraction < best) {
            best = callback.m_closestHitFraction;
            *hitNormal = FromBt(callback.m_hitNormalWorld.normalized());
            *hitPoint = FromBt(start.lerp(end, best));
            hit = true;
        }
    }
    return hit;
}

// Which pairs of bodies touch after each step and which began to: read from
// the solver's contact manifolds, which already hold every touching pair and
// the impulse that pushed them apart.
#include <vector>

#include "physics/physics_local.h"

namespace {

// Frames without a touch after which a pair counts as apart.
const int kApartFrames = 4;

struct PairSeen {
    uint32_t key;        // a << 16 | b
    int lastTouch;       // the scan that last found it touching
};

struct ContactTracker {
    std::vector<PairSeen> pairs;   // pairs that touched within kApartFrames scans
    int scan;                      // scans since the bodies were made
};
ContactTracker tracker;

int ShapeOf(const btCollisionObject* object)
{
    switch (object->getCollisionShape()->getShapeType()) {
    case SPHERE_SHAPE_PROXYTYPE: return BODY_SPHERE;
    case CYLINDER_SHAPE_PROXYTYPE: return BODY_PILLAR;
    case BOX_SHAPE_PROXYTYPE: return BODY_BOX;
    default: return -1;
    }
}

// The impulse summed over the pair's points (a box landing flat shares its
// blow among four), and the strongest point's place; false when no point
// of the pair touches.
bool Touching(const btPersistentManifold* manifold, float* impulse, btVector3* point)
{
    bool touching = false;
    float strongest = 0.0f;
    *impulse = 0.0f;
    for (int i = 0; i < manifold->getNumContacts(); i++) {
        const btManifoldPoint& p = manifold->getContactPoint(i);
        if (p.getAppliedImpulse() <= 0.0f && p.getDistance() > 0.0f)
            continue;
        *impulse += p.getAppliedImpulse();
        if (!touching || p.getAppliedImpulse() > strongest) {
            strongest = p.getAppliedImpulse();
            *point = p.getPositionWorldOnB();
        }
        touching = true;
    }
    return touching;
}

// Notes the pair as touching now; true when it had been apart.
bool Began(uint32_t key)
{
    for (PairSeen& pair : tracker.pairs) {
        if (pair.key != key)
            continue;
        bool began = tracker.scan - pair.lastTouch > kApartFrames;
        pair.lastTouch = tracker.scan;
        return began;
    }
    tracker.pairs.push_back(PairSeen{key, tracker.scan});
    return true;
}

void Forget(int olderThan)
{
    std::vector<PairSeen>& pairs = tracker.pairs;
    for (size_t i = pairs.size(); i-- > 0;)
        if (olderThan - pairs[i].lastTouch > kApartFrames) {
            pairs[i] = pairs.back();
            pairs.pop_back();
        }
}

// Keeps the strongest `max` starts, strongest first.
void Insert(ContactStart* starts, int max, int* count, const ContactStart& start)
{
    int at = *count < max ? (*count)++ : max;
    while (at > 0 && starts[at - 1].impulse < start.impulse) {
        if (at < max)
            starts[at] = starts[at - 1];
        at--;
    }
    if (at < max)
        starts[at] = start;
}

}  // namespace

void ForgetContacts()
{
    tracker.pairs.clear();
    tracker.scan = 0;
}

int ScanContacts(ContactStart* starts, int max, BallContacts* ball)
{
    *ball = BallContacts{};
    int count = 0;
    if (!physics.dispatcher)
        return 0;
    tracker.scan++;
    for (int m = 0; m < physics.dispatcher->getNumManifolds(); m++) {
        const btPersistentManifold* manifold = physics.dispatcher->getManifoldByIndexInternal(m);
        float impulse;
        btVector3 point;
        if (!Touching(manifold, &impulse, &point))
            continue;
        const btCollisionObject* a = manifold->getBody0();
        const btCollisionObject* b = manifold->getBody1();
        if (a->getWorldArrayIndex() > b->getWorldArrayIndex())
            std::swap(a, b);
        int ia = a->getWorldArrayIndex(), ib = b->getWorldArrayIndex();
        if (ia == 1 || ib == 1)
            (ia == 0 ? ball->terrain : ball->obstacle) = 1;
        if (Began(uint32_t(ia) << 16 | uint32_t(ib)))
            Insert(starts, max, &count, ContactStart{ia, ib, ShapeOf(a), ShapeOf(b), impulse,
                                                     Vec3{point.x(), point.y(), point.z()}});
    }
    Forget(tracker.scan);
    return count;
}

// What the race asks the world each frame: does the ball touch something,
// where is everything, is the ball in the goal, has it fallen off.
#include "physics/physics_local.h"
#include "core/game.h"
#include "data/course_list.h"

Matrix ballMatrix;

static bool contactFound;     // set by the callback, lives across one test

const btScalar kTouchGap = 0.1f;

// The game's only polymorphic class: a point counts as a touch when the gap
// (or overlap) there is under 0.1.
struct btDrawingResult : public btCollisionWorld::ContactResultCallback {
    // The pair test reports only overlapping points unless asked to look
    // further; a ball a hair above a bump must still count as rolling on it.
    btDrawingResult() { m_closestDistanceThreshold = kTouchGap; }

    btScalar addSingleResult(btManifoldPoint& cp,
                             const btCollisionObjectWrapper*, int, int,
                             const btCollisionObjectWrapper*, int, int) override
    {
        if ((cp.m_positionWorldOnA - cp.m_positionWorldOnB).length() < kTouchGap)
            contactFound = true;
        return 0;
    }
};

bool TestBallContact(int index)
{
    btDiscreteDynamicsWorld* world = physics.dynamicsWorld;
    int count = world ? world->getNumCollisionObjects() : 0;
    if (!physics.queryWorld || count < 2 || index < 0 || index == 1 || index >= count)
        return false;
    btCollisionObject* a = world->getCollisionObjectArray()[index];
    btCollisionObject* ball = world->getCollisionObjectArray()[1];
    contactFound = false;
    btDrawingResult result;
    physics.queryWorld->contactPairTest(a, ball, result);
    return contactFound;
}

static CourseDef* CurrentCourseDef()
{
    int index = game.currentCourse;
    if (!courseList.courses || index < 0 || index >= courseList.courseCount)
        return nullptr;
    return &courseList.courses[index];
}

void SyncCourseTransforms()
{
    GetBodyMatrix(&ballMatrix, 1);
    CourseDef* course = CurrentCourseDef();
    if (!course)
        return;
    int k = 2;
    for (ObstacleDef* o = course->firstObstacle; o; o = o->next, k++) {
        btRigidBody* body = BodyWithMotionState(k);
        if (!body)
            continue;
        btTransform t;
        body->getMotionState()->getWorldTransform(t);
        WriteRowMatrix(&o->world, t);
    }
}

bool IsBallInGoal()
{
    const CourseDef* course = CurrentCourseDef();
    if (!course)
        return false;
    const TerrainGrid& grid = CurrentTerrainGrid();
    float wx = grid.NX * course->GRID_SIZE;
    float wz = grid.NZ * course->GRID_SIZE;
    float x0 = course->GOAL[0], z0 = course->GOAL[1];
    float x1 = course->GOAL[2], z1 = course->GOAL[3];
    float bx = ballMatrix.m[3][0], bz = ballMatrix.m[3][2];
    return (0.5f - x1) * wx <= bx && bx <= (0.5f - x0) * wx
        && (z0 - 0.5f) * wz <= bz && bz <= (z1 - 0.5f) * wz;
}

bool IsBallFallen()
{
    return ballMatrix.m[3][1] < -SelectedBallType().size;
}

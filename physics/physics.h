// The physics world and the course's bodies, as the rest of the game sees
// them. Bodies are addressed by their index in the world: 0 the terrain,
// 1 the ball, 2 + k the k-th obstacle of the current course.
#pragma once
#include <cstdint>
#include "core/xmath.h"

// --- world -------------------------------------------------------------------
void CreatePhysicsWorld();
void DestroyPhysicsWorld();
int  PhysicsWorldReady();         // 1 between Create and Destroy
void StepPhysicsWorld();          // one frame: 1/60 s, up to 10 substeps of 1/60 s
void SetCourseGravity(float g);   // g = the selected gravity preset; 0 = floating
int  PhysicsBodyCount();          // collision objects in the world now
int  PhysicsShapeCount();         // shapes kept for the current course

// --- terrain -----------------------------------------------------------------
// One grid point in the layout Bullet reads its vertices in (x, y, z, pad).
struct GridPoint { float x, y, z, w; };

struct TerrainGrid {
    int NX;                 // vertices along x = picture width + 1
    int NZ;                 // vertices along z = picture height + 1
    int vertexCount;        // NX * NZ
    int triangleCount;      // 2 * (NX - 1) * (NZ - 1)
    GridPoint* positions;   // point (i, j) at j * NX + i; new[]-allocated
    int32_t* indices;       // 3 per triangle; new[]-allocated
    float MAP_HEIGHT;       // copies of the course's scales
    float GRID_SIZE;
};

// Always takes over the grid's arrays (kept until the next ClearCourseBodies,
// freed at once on failure) and makes the static terrain body, object 0.
// 1 ok, 0 when there is no world or the grid is empty.
int BuildTerrainCollision(const TerrainGrid& grid, float bounce);
// The grid of the loaded course; 20 x 20 without arrays before any load.
const TerrainGrid& CurrentTerrainGrid();

// --- bodies ------------------------------------------------------------------
enum BodyShape { BODY_BOX = 0, BODY_SPHERE = 1, BODY_PILLAR = 2 };

// Rotation (rx, ry, rz) in radians: about z first, then x, then y.
void AddCourseBody(int code, float x, float y, float z,
                   float s0, float s1, float s2, float mass, float bounce,
                   float rx, float ry, float rz);
void ClearCourseBodies();         // every body, shape and the terrain arrays
void GetBallVelocity(Vec3* out);  // left unchanged when there is no ball
void PushBall(const Vec3& impulse, const Vec3& relPos);
void GetBodyMatrix(Matrix* out, int index);   // row-vector layout; unchanged when absent
// Puts a body at `world` (rotation and position, row-vector layout) at rest,
// without simulating: how a recorded run is shown. Nothing when absent.
void PlaceBody(int index, const Matrix& world);

// --- contacts, goal and miss -------------------------------------------------
// The ball's world matrix as the last SyncCourseTransforms left it; row 3 is
// its position. The ball drawer may scale rows 0..2 until the next refresh.
extern Matrix ballMatrix;

bool TestBallContact(int index);  // ball within 0.1 of object index
void SyncCourseTransforms();      // refresh ballMatrix and the obstacles' world matrices
bool IsBallInGoal();              // x/z of ballMatrix inside the goal, borders included
bool IsBallFallen();              // ball centre below -size of the selected ball type

// --- contacts between bodies --------------------------------------------------
// What the sounds of a race hear after each step: what the ball touches, and
// which pairs of bodies began to touch. A pair touches while the solver
// pushes them apart (or they overlap); one apart for a few frames that
// touches again begins anew, so a ball rattling over bumps starts nothing.
struct ContactStart {
    int a, b;             // body indices, a < b
    int shapeA, shapeB;   // BodyShape of each; -1 for the terrain
    float impulse;        // the contact impulse between them in the step, all points together
    Vec3 point;           // where they met
};
struct BallContacts {
    int terrain;          // 1 while the ball touches the terrain
    int obstacle;         // 1 while it touches any obstacle
};
// Once after each StepPhysicsWorld: fills up to `max` of the pairs that began
// to touch, strongest first, and returns how many it filled.
int ScanContacts(ContactStart* starts, int max, BallContacts* ball);

// --- ground rays -------------------------------------------------------------
// The nearest point where the segment from -> to meets a body other than
// excludeIndex (an index past the last body excludes nothing), with the unit
// surface normal there; bodies are taken at their drawn pose. Both outputs
// are left as they were when nothing is met.
bool CastGroundRay(Vec3* hitPoint, int excludeIndex, const Vec3& from, const Vec3& to,
                   Vec3* hitNormal);

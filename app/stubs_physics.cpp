// Stand-ins until physics and course loading land; each is removed when its
// real version exists.
#include "app/race.h"
#include "physics/physics.h"
#include "render/course.h"

void CreatePhysicsWorld() {}
void DestroyPhysicsWorld() {}
void StepPhysicsWorld() {}
void SyncCourseTransforms() {}
bool IsBallFallen() { return false; }
bool LoadCourse(int) { return false; }
void ReleaseCourseGraphics() {}
void UpdateRace(const TiltVector&, const TiltVector&) {}

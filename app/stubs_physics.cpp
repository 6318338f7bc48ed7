// Stand-ins until course loading and steering land; each is removed when its
// real version exists.
#include "app/race.h"
#include "render/course.h"

bool LoadCourse(int) { return false; }
void ReleaseCourseGraphics() {}
void UpdateRace(const TiltVector&, const TiltVector&) {}

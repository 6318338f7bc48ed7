// Stand-ins until steering lands; each is removed when its real version
// exists.
#include "app/race.h"

void UpdateRace(const TiltVector&, const TiltVector&) {}

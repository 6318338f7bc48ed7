// Watching a run: from course select, the ghost the player would race on a
// course replays with the race camera, the ball and (where the run recorded
// them) the obstacles where they were, the clock in the time panel. The goal
// plate shows at the run's own time; the button, or the end, goes back to
// course select.
#pragma once
#include "core/game.h"

// One frame of state Watch (course select entered it with the course loaded).
void UpdateWatch(const TiltVector& tilt);

// Drawing the ghost ball: in the scene, translucent and without a shadow,
// and as a faint dot on the course map.
#pragma once
#include "core/xmath.h"

// `pose` is the ghost's unscaled world matrix (the app's ghost replay says
// where it is and whether it shows at all).
void DrawGhost(const Matrix& pose);       // after the scene's opaque passes, before the sprites
void QueueGhostDot(const Matrix& pose);   // before the course map's own dots, so they stay on top

// Drawing the ghost ball: in the scene, translucent and without a shadow,
// and as a faint dot on the course map.
#pragma once

void DrawGhost();       // after the scene's opaque passes, before the sprites
void QueueGhostDot();   // before the course map's own dots, so they stay on top

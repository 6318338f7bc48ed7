// The sprite layer: pictures queued during a frame and drawn in one go.
#pragma once

void FlushSprites();

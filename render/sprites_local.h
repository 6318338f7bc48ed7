// What the sprite layer's tests look at: the queue as the next flush would
// draw it.
#pragma once
#include "render/sprites.h"

struct QueuedSprite {
    Texture* texture;            // null: vertex colours alone
    int32_t depth;
    SpriteVertex corners[4];     // fan order
};

// Copies up to `max` queued quads, back to front (the flush's order), into
// `out`; returns how many are queued in all. The queue is left as it is.
int QueuedSpritesInDrawOrder(QueuedSprite* out, int max);

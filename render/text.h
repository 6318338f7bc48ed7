// Any UTF-8 string drawn in the sprite layer with the game's proportional
// face (menus, labels, values). A string's glyph texture is made the first
// time it is drawn and kept in a small cache, so words drawn every frame are
// made once; it is rasterised at the picture's scale, so it stays crisp in a
// big window. Queue text only from a logic step: a lookup may release the
// texture of a string the kept layer of an earlier step still drew.
#pragma once
#include <cstdint>

#include "render/sprites.h"

enum TextAlign {
    TEXT_LEFT = 0,     // x is the left edge
    TEXT_CENTRE = 1,   // x is the middle
    TEXT_RIGHT = 2     // x is the right edge
};

// Queues `utf8` at fontHeight pixels (ascent + descent) with its line's
// vertical middle at y.
void  QueueText(const char* utf8, float x, float y, int fontHeight, uint32_t colour,
                int align = TEXT_LEFT, int32_t depth = DEPTH_SPRITE);
// The pen advance of the whole string.
float TextWidth(const char* utf8, int fontHeight);
// Every cached texture; before the device goes.
void  ReleaseTextCache();
// Textures the cache holds now (at most one a string): the device objects
// that come and go with what was drawn lately rather than with a course.
int   CachedTextTextures();

// The sprite sheets listed in "sprite.ini": pictures cut into a grid of
// equal cells. A sheet's number is its place among the sheets that loaded.
#pragma once
#include <cstdint>

struct Texture;

struct SpriteSheet {
    Texture* texture;   // the sheet's picture
    int32_t columns;    // cells across, at least 1
    int32_t rows;       // cells down, at least 1
};

extern int32_t sheetCount;     // sheets loaded
extern SpriteSheet* sheets;    // sheetCount entries (more may be allocated)

int  LoadSpriteSheets();      // 1 read, 0 when sprite.ini cannot be opened
void ReleaseSpriteSheets();

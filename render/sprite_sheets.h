// The sprite sheets listed in "sprite.ini": pictures cut into a grid of
// equal cells. A sheet's number is its line's place in the list; a picture
// that fails to load leaves its number empty (no texture: its sprites are
// left out), so every other sheet keeps the number the screens draw it by.
// A picture is read the first time something draws from its sheet, so the
// game starts (and changes language) without reading every sheet first.
// Each language may have its own "sprite.ini" and pictures in its folder;
// a file missing there is taken from the game folder itself.
#pragma once
#include <cstdint>

struct Texture;

struct SpriteSheet {
    Texture* texture;   // the sheet's picture; null before it is first used, or when it failed to load
    int32_t columns;    // cells across, at least 1
    int32_t rows;       // cells down, at least 1
    // A row of letters whose words need another layout in some language
    // (the title, a heading) says how many cells it lays out; 0: the
    // screen's own count.
    int32_t cells = 0;        // at most columns x rows
    float cellAspect = 1;     // a cell's width over its height in the picture (once loaded)
};

extern int32_t sheetCount;     // sheets listed (those that failed to load included)
extern SpriteSheet* sheets;    // sheetCount entries (more may be allocated)
extern int32_t sheetsLanguage; // the language they were loaded for

// Reads the list for the player's language; the pictures wait for their
// first use. 1 read, 0 when sprite.ini cannot be opened.
int  LoadSpriteSheets();
int  LoadSpriteSheetsIn(int language);
void ReleaseSpriteSheets();
// Sheet `index` with its picture read (one that fails is said once in a
// message box and leaves the sheet without a texture); null outside the list.
const SpriteSheet* UseSheet(int32_t index);
// Every picture of the list read now (the course checker, tests).
void LoadSheetPictures();

// The sprite layer: every 2D picture of the game is a screen-space quad queued
// during a frame, kept in depth order (larger depth farther back, equal depths
// in queuing order) and drawn in one go by FlushSprites. Menu windows sit on
// top of it: a nine-piece frame and the animated MenuPanel.
#pragma once
#include <cstdint>

struct Texture;

// The pre-transformed vertex of format FVF_SCREEN (28 bytes): x, y in pixels
// of the 640 x 480 back buffer (origin top left), z 0, rhw 1, ARGB, u, v.
struct SpriteVertex {
    float x, y, z, rhw;
    uint32_t colour;
    float u, v;
};
static_assert(sizeof(SpriteVertex) == 28, "sprite vertex layout");

// Depths in use.
enum SpriteDepth {
    DEPTH_FRONT = 1,       // plain quads over everything (fades)
    DEPTH_SPRITE = 3,      // ordinary sprites and text
    DEPTH_PANEL = 4,       // menu and HUD panels
    DEPTH_BACKGROUND = 5   // full-screen backgrounds
};

enum SpriteFlip {
    FLIP_VERTICAL = 1,     // mirror top to bottom
    FLIP_HORIZONTAL = 2    // mirror left to right
};

// Queues cell `cell` of sheet `sheet` (a sheet outside 0..sheetCount-1, by
// convention -1, draws the colour alone; a sheet whose picture failed to load
// draws nothing) centred at (x, y), turned by `rotation` radians about its
// centre. Returns 1.
int  DrawSprite(int32_t sheet, uint32_t cell, uint32_t colour, float rotation,
                int32_t depth, uint32_t flip, float x, float y, float width, float height);
// Queues four ready-made corners in fan order, alpha blended.
void QueueQuad(Texture* texture, const SpriteVertex vertices[4], int32_t depth);
// Draws the queue back to front and empties it.
void FlushSprites();
// The 2D layer a logic step queued is shown by every picture until the next
// step: KeepSprites takes the queue over as that layer (the queue is left
// empty), DrawKeptSprites draws it and keeps it.
void KeepSprites();
void DrawKeptSprites();
// Drops the kept layer: its textures are about to go.
void ForgetKeptSprites();
// Queues the nine pieces of a window frame around the rectangle: the frame
// lies outside it and the centre piece fills it.
void DrawFrame(int32_t sheet, int32_t depth, float border, uint32_t colour,
               float left, float top, float right, float bottom);

enum MenuPanelPhase {
    PANEL_OPENING = 0,
    PANEL_OPEN = 1,
    PANEL_CLOSING = 2,
    PANEL_CLOSED = 3
};

// A window that opens (height first, then width) and closes (width first).
struct MenuPanel {
    float left, top, right, bottom;  // inner rectangle when fully open, pixels
    int32_t sheet;                   // frame sheet, 2
    float border;                    // corner size and edge thickness
    float openX, openY;              // opening progress of width and height, 0..1
    float step;                      // progress per frame, 1 / frames per stage
    uint32_t colour;                 // 0xFFFFFFFF
    int32_t depth;                   // 4
    int32_t phase;                   // MenuPanelPhase
};

void InitMenuPanel(MenuPanel* panel, float left, float top, float right, float bottom,
                   float border, int frames);
void UpdateMenuPanel(MenuPanel* panel);   // one frame of the animation
void DrawMenuPanel(const MenuPanel* panel);  // nothing when Closed

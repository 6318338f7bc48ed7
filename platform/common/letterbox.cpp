// Where the picture goes in a window of any size: the largest centred 4:3
// rectangle with bars on the other sides, or, filled, the whole of a window
// wider than 4:3. Shared by both devices so the layout maths can be tested
// without a window.
#include "platform/gfx.h"

void GfxLetterbox(int width, int height, int rect[4])
{
    int w = width, h = width * 3 / 4;
    if (h > height) {
        h = height;
        w = height * 4 / 3;
    }
    rect[0] = (width - w) / 2;
    rect[1] = (height - h) / 2;
    rect[2] = w;
    rect[3] = h;
}

// A window narrower than 4:3 keeps its bars above and below even filled:
// the picture never loses the sides of its frame.
void GfxPictureLayout(int width, int height, int fill, int rect[4], float span[2])
{
    GfxLetterbox(width, height, rect);
    span[0] = 0;
    span[1] = GFX_BACK_WIDTH;
    if (!fill || rect[2] >= width || height <= 0)
        return;
    rect[0] = 0;
    rect[1] = 0;
    rect[2] = width;
    rect[3] = height;
    // 2D units per pixel follow the frame's height.
    float frameWidth = height * 4.0f / 3.0f;
    float overhang = (width - frameWidth) * 0.5f * GFX_BACK_HEIGHT / height;
    span[0] = -overhang;
    span[1] = GFX_BACK_WIDTH + overhang;
}

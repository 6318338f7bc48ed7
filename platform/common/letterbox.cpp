// Where the 640 x 480 picture goes in a window of any size: the largest
// centred 4:3 rectangle, with bars on the other sides. Shared by both devices
// so the layout maths can be tested without a window.
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

// The launcher icon: the game's ball resting on a tilted board, drawn at
// each size the desktop's icon theme asks for (no scaling, so the small one
// stays crisp).
#include <cmath>
#include <vector>

#include "canvas.h"
#include "content.h"

namespace {

// Shading of a lit sphere seen from the front: light from the upper left,
// a bright highlight, a darker rim.
Paint BallPaint(float cx, float cy, float r)
{
    return [=](float x, float y) {
        float dx = (x - cx) / r, dy = (y - cy) / r;
        float light = std::fmax(0.0f, 1.0f - std::hypot(dx + 0.35f, dy + 0.4f) / 1.5f);
        Color c = Mix(Rgb(0x0B2E6E), Rgb(0x4FA3FF), light);
        float spot = std::fmax(0.0f, 1.0f - std::hypot(dx + 0.38f, dy + 0.42f) / 0.35f);
        return Mix(c, Rgb(0xFFFFFF), spot * spot);
    };
}

// An ellipse as a polygon, for the ball's shadow on the board.
Sdf Ellipse(float cx, float cy, float rx, float ry)
{
    std::vector<float> points;
    for (int i = 0; i < 48; ++i) {
        float a = i * 6.2831853f / 48;
        points.push_back(cx + rx * std::cos(a));
        points.push_back(cy + ry * std::sin(a));
    }
    return Polygon(points);
}

Image DrawIcon(int size)
{
    float s = static_cast<float>(size);
    Image img = MakeImage(size, size);
    // The board leans towards the viewer's right: its top face, then the
    // two visible side faces below the front edges.
    std::vector<float> top = {0.06f * s, 0.58f * s, 0.56f * s, 0.30f * s,
                              0.95f * s, 0.52f * s, 0.44f * s, 0.84f * s};
    float thick = 0.08f * s;
    FillShape(img, Polygon({top[0], top[1], top[6], top[7], top[6], top[7] + thick, top[0], top[1] + thick}),
              Solid(Rgb(0x2E7D32)));
    FillShape(img, Polygon({top[6], top[7], top[4], top[5], top[4], top[5] + thick, top[6], top[7] + thick}),
              Solid(Rgb(0x1B5E20)));
    FillShape(img, Polygon(top), VerticalGradient(Rgb(0xA5E27A), Rgb(0x4CAF50), 0.30f * s, 0.84f * s));
    // A few grooves across the board make the tilt readable at 64 pixels.
    for (int k = 1; k <= 3; ++k) {
        float t = k / 4.0f;
        float x0 = top[0] + (top[6] - top[0]) * t, y0 = top[1] + (top[7] - top[1]) * t;
        float x1 = top[2] + (top[4] - top[2]) * t, y1 = top[3] + (top[5] - top[3]) * t;
        FillShape(img, Segment(x0, y0, x1, y1, 0.006f * s + 0.4f), Solid(Rgb(0x2E7D32, 0.45f)));
    }
    float cx = 0.50f * s, cy = 0.38f * s, r = 0.22f * s;
    Mask shadow = Blur(ShapeMask(size, size, Ellipse(cx + 0.10f * s, cy + 0.20f * s, r * 0.95f, r * 0.45f)),
                       size / 40 + 1);
    Composite(img, shadow, Solid(Rgb(0x0A2A0A, 0.55f)));
    FillShape(img, Circle(cx, cy, r), BallPaint(cx, cy, r));
    BleedEdges(img);
    return img;
}

}  // namespace

int WriteIcons(const std::string& iconDir)
{
    for (int size : {64, 256}) {
        std::string folder = iconDir + "/" + std::to_string(size) + "x" + std::to_string(size);
        if (!MakeFolder(folder) || !MakeFolder(folder + "/apps")) return 0;
        if (!WritePng(folder + "/apps/kestrune.png", DrawIcon(size))) return 0;
    }
    return 1;
}

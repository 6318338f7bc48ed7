// A small painting kit for the content generator: RGBA pictures, coverage
// masks, shapes drawn from signed distances, lettering through the game's
// glyph rasteriser, and the PNG and BMP writers.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Color {
    float r, g, b, a;    // straight (not premultiplied), 0..1
};
Color Rgb(uint32_t rgb, float a = 1.0f);
Color Mix(Color a, Color b, float t);

// Straight-alpha picture, rows top to bottom. The painting functions below
// take positions and sizes in units; a picture has `scale` texels per unit
// (sprite sheets are painted at several texels per screen unit).
struct Image {
    int w = 0, h = 0;                      // texels
    float scale = 1;                       // texels per unit
    std::vector<Color> px;
    Color& At(int x, int y) { return px[static_cast<size_t>(y) * w + x]; }
    const Color& At(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
};
Image MakeImage(int w, int h, Color fill = {0, 0, 0, 0});
// A picture of w x h units at `scale` texels per unit.
Image MakeScaledImage(int w, int h, float scale);

// Coverage 0..1 per pixel.
struct Mask {
    int w = 0, h = 0;
    std::vector<float> v;
    float& At(int x, int y) { return v[static_cast<size_t>(y) * w + x]; }
    float At(int x, int y) const { return v[static_cast<size_t>(y) * w + x]; }
    float Get(int x, int y) const { return (x < 0 || y < 0 || x >= w || y >= h) ? 0.0f : At(x, y); }
};
Mask MakeMask(int w, int h);

// Paint: the colour at a picture position (gradients, patterns).
using Paint = std::function<Color(float x, float y)>;
Paint Solid(Color c);
Paint VerticalGradient(Color top, Color bottom, float y0, float y1);

// Signed distance, negative inside, in pixels.
using Sdf = std::function<float(float x, float y)>;
Sdf Circle(float cx, float cy, float r);
Sdf RoundBox(float cx, float cy, float hw, float hh, float radius);
Sdf Segment(float x0, float y0, float x1, float y1, float halfWidth);
Sdf Polygon(std::vector<float> xy);     // x0, y0, x1, y1, ...; any winding
Sdf Union(Sdf a, Sdf b);
Sdf Subtract(Sdf a, Sdf b);

// Coverage of a shape over a w x h texel mask at `scale` texels per unit
// (one texel of anti-aliasing).
Mask ShapeMask(int w, int h, const Sdf& shape, float scale = 1);
// Lays a mask at texel (ox, oy) over the picture with the paint ("over");
// the paint is asked at unit positions.
void Composite(Image& img, const Mask& m, const Paint& paint, int ox = 0, int oy = 0);
void FillShape(Image& img, const Sdf& shape, const Paint& paint);

Mask Dilate(const Mask& m, float radius);         // grows the shape (outlines), radius in texels
Mask Blur(const Mask& m, int radius);             // soft shadows
Mask Pad(const Mask& m, int border);              // adds empty margin

// Lettering. The mask is cropped to the ink; cellHeight is the font's line
// height in pixels.
Mask TextMask(const std::string& utf8, int cellHeight, int weight = 700);
// The largest lettering that fits maxW × maxH.
Mask FitText(const std::string& utf8, int maxW, int maxH, int weight = 700);

// Outlined, shadowed lettering centred in a rectangle of the picture; the
// rectangle, outline width and shadow offset in units.
struct LetterStyle {
    Paint fill;            // evaluated in the rectangle's own coordinates
    Color outline;         // a = 0 for none
    float outlineWidth;
    Color shadow;          // a = 0 for none
    int shadowOffset;
    int weight;
};
void DrawLettering(Image& img, int x, int y, int w, int h, const std::string& utf8,
                   const LetterStyle& style, float fillFraction = 0.86f);
// Word `index` of a set drawn alike (the labels of one menu): the words share
// one size, at which the ink of all of them fills the rectangle's height, and
// one baseline; a word too long for the rectangle alone is made smaller.
// largestSize (> 0, in units) caps the font's line height.
void DrawEvenLettering(Image& img, int x, int y, int w, int h, const std::vector<const char*>& words, int index,
                       const LetterStyle& style, float fillFraction = 0.86f, int largestSize = 0);

// Gives fully transparent pixels the colour of their visible neighbours so
// that filtering and mipmaps do not pull dark fringes into the edges.
void BleedEdges(Image& img);

// Writers; 1 on success.
int WritePng(const std::string& path, const Image& img);
// 24-bit bottom-up BMP from per-pixel channel sums (0..765), the height-map
// encoding where the three bytes of a pixel add up to its height.
int WriteHeightBmp(const std::string& path, int w, int h, const std::vector<int>& sums);
int WriteFile(const std::string& path, const std::string& bytes);
int MakeFolder(const std::string& path);

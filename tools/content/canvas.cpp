#include "canvas.h"

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

#include "platform/glyph.h"

// The library's implementation is compiled here, private to the generator.
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb_image_write.h>
#pragma GCC diagnostic pop

// ---------------------------------------------------------------- colours

Color Rgb(uint32_t rgb, float a)
{
    return {((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f, (rgb & 255) / 255.0f, a};
}

Color Mix(Color a, Color b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Image MakeImage(int w, int h, Color fill)
{
    Image img;
    img.w = w;
    img.h = h;
    img.px.assign(static_cast<size_t>(w) * h, fill);
    return img;
}

Image MakeScaledImage(int w, int h, float scale)
{
    Image img = MakeImage(static_cast<int>(std::lround(w * scale)), static_cast<int>(std::lround(h * scale)));
    img.scale = scale;
    return img;
}

Mask MakeMask(int w, int h)
{
    Mask m;
    m.w = w;
    m.h = h;
    m.v.assign(static_cast<size_t>(w) * h, 0.0f);
    return m;
}

Paint Solid(Color c)
{
    return [c](float, float) { return c; };
}

Paint VerticalGradient(Color top, Color bottom, float y0, float y1)
{
    return [=](float, float y) { return Mix(top, bottom, std::clamp((y - y0) / (y1 - y0), 0.0f, 1.0f)); };
}

// ---------------------------------------------------------------- shapes

Sdf Circle(float cx, float cy, float r)
{
    return [=](float x, float y) { return std::hypot(x - cx, y - cy) - r; };
}

Sdf RoundBox(float cx, float cy, float hw, float hh, float radius)
{
    return [=](float x, float y) {
        float qx = std::fabs(x - cx) - hw + radius, qy = std::fabs(y - cy) - hh + radius;
        float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
        return outside + std::min(std::max(qx, qy), 0.0f) - radius;
    };
}

Sdf Segment(float x0, float y0, float x1, float y1, float halfWidth)
{
    return [=](float x, float y) {
        float dx = x1 - x0, dy = y1 - y0;
        float t = std::clamp(((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
        return std::hypot(x - x0 - t * dx, y - y0 - t * dy) - halfWidth;
    };
}

Sdf Polygon(std::vector<float> p)
{
    return [p](float x, float y) {
        size_t n = p.size() / 2;
        float d = 1e30f, s = 1.0f;
        for (size_t i = 0, j = n - 1; i < n; j = i++) {
            float ex = p[2 * j] - p[2 * i], ey = p[2 * j + 1] - p[2 * i + 1];
            float wx = x - p[2 * i], wy = y - p[2 * i + 1];
            float t = std::clamp((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.0f, 1.0f);
            d = std::min(d, std::hypot(wx - ex * t, wy - ey * t));
            bool c1 = y >= p[2 * i + 1], c2 = y < p[2 * j + 1], c3 = ex * wy > ey * wx;
            if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) s = -s;
        }
        return s * d;
    };
}

Sdf Union(Sdf a, Sdf b)
{
    return [=](float x, float y) { return std::min(a(x, y), b(x, y)); };
}

Sdf Subtract(Sdf a, Sdf b)
{
    return [=](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}

Mask ShapeMask(int w, int h, const Sdf& shape, float scale)
{
    Mask m = MakeMask(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            m.At(x, y) = std::clamp(0.5f - scale * shape((x + 0.5f) / scale, (y + 0.5f) / scale), 0.0f, 1.0f);
    return m;
}

// ---------------------------------------------------------------- compositing

static Color Over(Color dst, Color src, float cover)
{
    float sa = src.a * cover;
    float oa = sa + dst.a * (1 - sa);
    if (oa <= 0) return {dst.r, dst.g, dst.b, 0};
    auto ch = [&](float s, float d) { return (s * sa + d * dst.a * (1 - sa)) / oa; };
    return {ch(src.r, dst.r), ch(src.g, dst.g), ch(src.b, dst.b), oa};
}

void Composite(Image& img, const Mask& m, const Paint& paint, int ox, int oy)
{
    for (int y = 0; y < m.h; ++y) {
        int iy = y + oy;
        if (iy < 0 || iy >= img.h) continue;
        for (int x = 0; x < m.w; ++x) {
            int ix = x + ox;
            float c = m.At(x, y);
            if (ix < 0 || ix >= img.w || c <= 0) continue;
            img.At(ix, iy) = Over(img.At(ix, iy), paint((ix + 0.5f) / img.scale, (iy + 0.5f) / img.scale), c);
        }
    }
}

void FillShape(Image& img, const Sdf& shape, const Paint& paint)
{
    Composite(img, ShapeMask(img.w, img.h, shape, img.scale), paint);
}

// A texel whose four neighbours are all fully inside adds nothing its
// neighbours' discs do not already reach (to within a texel's fraction), so
// only the shape's rim is spread; the kernel's reach is worked out once.
static bool InsideShape(const Mask& m, int x, int y)
{
    return m.At(x, y) >= 1 && m.Get(x - 1, y) >= 1 && m.Get(x + 1, y) >= 1 &&
           m.Get(x, y - 1) >= 1 && m.Get(x, y + 1) >= 1;
}

Mask Dilate(const Mask& m, float radius)
{
    Mask out = m;
    int r = static_cast<int>(std::ceil(radius)) + 1, side = 2 * r + 1;
    std::vector<float> reach(static_cast<size_t>(side) * side);
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx)
            reach[(dy + r) * side + dx + r] = std::clamp(radius + 0.5f - std::hypot(float(dx), float(dy)), 0.0f, 1.0f);
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x) {
            float c = m.At(x, y);
            if (c <= 0 || InsideShape(m, x, y)) continue;
            for (int dy = std::max(-r, -y); dy <= std::min(r, m.h - 1 - y); ++dy) {
                const float* k = &reach[(dy + r) * side + r];
                float* row = &out.At(x, y + dy);
                for (int dx = std::max(-r, -x); dx <= std::min(r, m.w - 1 - x); ++dx)
                    row[dx] = std::max(row[dx], c * k[dx]);
            }
        }
    return out;
}

static Mask BoxBlurPass(const Mask& m, int r, bool horizontal)
{
    Mask out = MakeMask(m.w, m.h);
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x) {
            float sum = 0;
            for (int k = -r; k <= r; ++k) sum += horizontal ? m.Get(x + k, y) : m.Get(x, y + k);
            out.At(x, y) = sum / (2 * r + 1);
        }
    return out;
}

Mask Blur(const Mask& m, int radius)
{
    Mask a = BoxBlurPass(m, radius, true);
    return BoxBlurPass(a, radius, false);
}

Mask Pad(const Mask& m, int border)
{
    Mask out = MakeMask(m.w + 2 * border, m.h + 2 * border);
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x) out.At(x + border, y + border) = m.At(x, y);
    return out;
}

// ---------------------------------------------------------------- lettering

static std::u32string Decode(const std::string& s)
{
    std::u32string out;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = s[i];
        int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
        for (int k = 1; k < n && i + k < s.size(); ++k) cp = (cp << 6) | (s[i + k] & 0x3F);
        out.push_back(cp);
        i += n;
    }
    return out;
}

// IPA P Gothic is the Japanese face the game ships against; fontconfig falls
// back to another Japanese sans serif where it is missing.
static const char* kFace = "IPAPGothic";

namespace {

// The text on one line, uncropped; *baseline (when asked for) is the row of
// its baseline.
Mask LineMask(const std::string& utf8, int cellHeight, int weight, int* baseline = nullptr)
{
    GlyphFontMetrics fm{};
    GlyphFace* face = GlyphOpenFace(kFace, cellHeight, weight, &fm);
    if (baseline) *baseline = 0;
    if (!face) return MakeMask(1, 1);
    std::u32string text = Decode(utf8);
    int pad = cellHeight;
    int width = pad * 2;
    std::vector<GlyphImage> glyphs(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        GlyphRender(face, text[i], &glyphs[i]);
        width += glyphs[i].advanceX;
    }
    Mask line = MakeMask(width, cellHeight + 2 * pad);
    int pen = pad, base = pad + fm.ascent;
    if (baseline) *baseline = base;
    for (GlyphImage& g : glyphs) {
        for (uint32_t r = 0; r < g.blackBoxY; ++r)
            for (uint32_t c = 0; c < g.blackBoxX; ++c) {
                int x = pen + g.originX + int(c), y = base - g.originY + int(r);
                if (x < 0 || y < 0 || x >= line.w || y >= line.h) continue;
                line.At(x, y) = std::max(line.At(x, y), g.coverage[r * g.blackBoxX + c] / 255.0f);
            }
        pen += g.advanceX;
        GlyphFreeImage(&g);
    }
    GlyphCloseFace(face);
    return line;
}

struct InkBox {
    int x0, y0, x1, y1;   // inclusive; x1 < 0 when there is no ink
};

InkBox FindInk(const Mask& m)
{
    InkBox box = {m.w, m.h, -1, -1};
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x)
            if (m.At(x, y) > 0) {
                box.x0 = std::min(box.x0, x); box.x1 = std::max(box.x1, x);
                box.y0 = std::min(box.y0, y); box.y1 = std::max(box.y1, y);
            }
    return box;
}

Mask Crop(const Mask& m, int x0, int y0, int x1, int y1)
{
    Mask out = MakeMask(x1 - x0 + 1, y1 - y0 + 1);
    for (int y = 0; y < out.h; ++y)
        for (int x = 0; x < out.w; ++x) out.At(x, y) = m.Get(x + x0, y + y0);
    return out;
}

} // namespace

Mask TextMask(const std::string& utf8, int cellHeight, int weight)
{
    Mask line = LineMask(utf8, cellHeight, weight);
    InkBox ink = FindInk(line);
    if (ink.x1 < 0) return MakeMask(1, 1);
    return Crop(line, ink.x0, ink.y0, ink.x1, ink.y1);
}

Mask FitText(const std::string& utf8, int maxW, int maxH, int weight)
{
    int size = std::max(4, maxH * 5 / 4);
    Mask m = TextMask(utf8, size, weight);
    for (int tries = 0; tries < 6 && (m.w > maxW || m.h > maxH); ++tries) {
        float k = std::min(float(maxW) / m.w, float(maxH) / m.h);
        size = std::max(4, static_cast<int>(size * k * 0.99f));
        m = TextMask(utf8, size, weight);
    }
    return m;
}

namespace {

// A rectangle of units in the picture's texels.
struct TexelRect {
    int x, y, w, h;
};

TexelRect InTexels(const Image& img, int x, int y, int w, int h)
{
    const float s = img.scale;
    return {static_cast<int>(std::lround(x * s)), static_cast<int>(std::lround(y * s)),
            static_cast<int>(std::lround(w * s)), static_cast<int>(std::lround(h * s))};
}

int ShadowTexels(const Image& img, const LetterStyle& style)
{
    return static_cast<int>(std::lround(style.shadowOffset * img.scale));
}

// The texels the outline and shadow need around the ink.
int LetteringRoom(const Image& img, const LetterStyle& style)
{
    return static_cast<int>(std::ceil(style.outlineWidth * img.scale)) + std::max(ShadowTexels(img, style), 0) + 1;
}

// Outline, shadow and fill of an ink mask laid at texel (ox, oy); the fill
// paint is evaluated in the units of the rectangle at (x, y).
void CompositeLettering(Image& img, const Mask& ink, int ox, int oy, int x, int y, const LetterStyle& style)
{
    const int shadow = ShadowTexels(img, style);
    Paint fill = [&](float px, float py) { return style.fill(px - x, py - y); };
    if (style.outline.a > 0) {
        Mask rim = Dilate(ink, style.outlineWidth * img.scale);
        if (style.shadow.a > 0)
            Composite(img, rim, Solid(style.shadow), ox + shadow, oy + shadow);
        Composite(img, rim, Solid(style.outline), ox, oy);
    } else if (style.shadow.a > 0) {
        Composite(img, ink, Solid(style.shadow), ox + shadow, oy + shadow);
    }
    Composite(img, ink, fill, ox, oy);
}

// A word on its line, with the row of its baseline.
struct Line {
    Mask mask;
    int baseline;
};

Line MakeLine(const char* word, int size, int weight)
{
    Line line;
    line.mask = LineMask(word, size, weight, &line.baseline);
    return line;
}

// The ink of several lines of one size, from the highest stroke to the
// lowest, in rows from the baseline.
struct InkRows {
    int top, bottom;    // bottom < top when there is no ink
};

InkRows CommonRows(const std::vector<Line>& lines)
{
    InkRows rows = {1 << 30, -(1 << 30)};
    for (const Line& l : lines) {
        InkBox b = FindInk(l.mask);
        if (b.x1 < 0) continue;
        rows = {std::min(rows.top, b.y0 - l.baseline), std::max(rows.bottom, b.y1 - l.baseline)};
    }
    return rows;
}

int InkWidth(const Line& l)
{
    InkBox b = FindInk(l.mask);
    return b.x1 < 0 ? 0 : b.x1 - b.x0 + 1;
}

// The size at which the ink of all the words, highest to lowest stroke,
// fills maxH.
int CommonSize(const std::vector<const char*>& words, int maxH, int weight)
{
    int size = std::max(4, maxH * 5 / 4);
    for (int tries = 0; tries < 8; ++tries) {
        std::vector<Line> lines;
        for (const char* word : words) lines.push_back(MakeLine(word, size, weight));
        InkRows rows = CommonRows(lines);
        int high = rows.bottom >= rows.top ? rows.bottom - rows.top + 1 : 1;
        if (high <= maxH) break;
        size = std::max(4, static_cast<int>(size * float(maxH) / high * 0.99f));
    }
    return size;
}

} // namespace

// The lettering is rasterised at the picture's texel size: a larger face,
// not a stretched small one.
void DrawLettering(Image& img, int x, int y, int w, int h, const std::string& utf8,
                   const LetterStyle& style, float fillFraction)
{
    const TexelRect t = InTexels(img, x, y, w, h);
    int room = LetteringRoom(img, style);
    int maxW = static_cast<int>(t.w * fillFraction) - 2 * room, maxH = static_cast<int>(t.h * fillFraction) - 2 * room;
    Mask ink = Pad(FitText(utf8, std::max(maxW, 4), std::max(maxH, 4), style.weight), room);
    int ox = t.x + (t.w - ink.w) / 2, oy = t.y + (t.h - ink.h) / 2;
    CompositeLettering(img, ink, ox, oy, x, y, style);
}

void DrawEvenLettering(Image& img, int x, int y, int w, int h, const std::vector<const char*>& words, int index,
                       const LetterStyle& style, float fillFraction, int largestSize)
{
    if (index < 0 || index >= static_cast<int>(words.size())) return;
    const TexelRect t = InTexels(img, x, y, w, h);
    int room = LetteringRoom(img, style);
    int maxW = std::max(static_cast<int>(t.w * fillFraction) - 2 * room, 4);
    int maxH = std::max(static_cast<int>(t.h * fillFraction) - 2 * room, 4);
    int size = CommonSize(words, maxH, style.weight);
    if (largestSize > 0) size = std::min(size, static_cast<int>(std::lround(largestSize * img.scale)));
    std::vector<Line> lines;
    for (const char* word : words) lines.push_back(MakeLine(word, size, style.weight));
    // Where every word fits at not much less, all of them take that size;
    // otherwise only the long ones shrink.
    int widest = 1;
    for (const Line& l : lines) widest = std::max(widest, InkWidth(l));
    int fitting = static_cast<int>(size * std::min(1.0f, float(maxW) / widest * 0.99f));
    if (fitting < size && fitting * 5 >= size * 4) {
        size = fitting;
        lines.clear();
        for (const char* word : words) lines.push_back(MakeLine(word, size, style.weight));
    }
    InkRows rows = CommonRows(lines);
    // A word too long for the cell alone is made smaller, on the same baseline.
    Line own = lines[index];
    for (int tries = 0; tries < 6 && InkWidth(own) > maxW; ++tries) {
        size = std::max(4, static_cast<int>(size * float(maxW) / InkWidth(own) * 0.99f));
        own = MakeLine(words[index], size, style.weight);
    }
    InkBox ink = FindInk(own.mask);
    if (ink.x1 < 0) return;
    Mask cropped = Pad(Crop(own.mask, ink.x0, own.baseline + rows.top, ink.x1, own.baseline + rows.bottom), room);
    int ox = t.x + (t.w - cropped.w) / 2, oy = t.y + (t.h - cropped.h) / 2;
    CompositeLettering(img, cropped, ox, oy, x, y, style);
}

void BleedEdges(Image& img)
{
    for (int pass = 0; pass < 4; ++pass) {
        Image src = img;
        for (int y = 0; y < img.h; ++y)
            for (int x = 0; x < img.w; ++x) {
                if (src.At(x, y).a > 0) continue;
                float r = 0, g = 0, b = 0, n = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        int sx = x + dx, sy = y + dy;
                        if (sx < 0 || sy < 0 || sx >= img.w || sy >= img.h) continue;
                        const Color& c = src.At(sx, sy);
                        float k = c.a > 0 ? 1.0f : (c.r + c.g + c.b > 0 ? 0.25f : 0.0f);
                        r += c.r * k; g += c.g * k; b += c.b * k; n += k;
                    }
                if (n > 0) img.At(x, y) = {r / n, g / n, b / n, 0};
            }
    }
}

// ---------------------------------------------------------------- files

static uint8_t Byte(float v)
{
    return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
}

int WritePng(const std::string& path, const Image& img)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(img.w) * img.h * 4);
    for (size_t i = 0; i < img.px.size(); ++i) {
        bytes[i * 4 + 0] = Byte(img.px[i].r);
        bytes[i * 4 + 1] = Byte(img.px[i].g);
        bytes[i * 4 + 2] = Byte(img.px[i].b);
        bytes[i * 4 + 3] = Byte(img.px[i].a);
    }
    return stbi_write_png(path.c_str(), img.w, img.h, 4, bytes.data(), img.w * 4) ? 1 : 0;
}

static void Put32(std::string& s, uint32_t v)
{
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 255));
}

static void Put16(std::string& s, uint16_t v)
{
    s.push_back(static_cast<char>(v & 255));
    s.push_back(static_cast<char>(v >> 8));
}

int WriteHeightBmp(const std::string& path, int w, int h, const std::vector<int>& sums)
{
    int stride = (w * 3 + 3) & ~3;
    std::string f;
    f += "BM";
    Put32(f, 54 + stride * h);
    Put32(f, 0);
    Put32(f, 54);
    Put32(f, 40);                         // info header
    Put32(f, w);
    Put32(f, h);                          // positive: rows bottom-up
    Put16(f, 1);
    Put16(f, 24);
    Put32(f, 0);                          // no compression
    Put32(f, stride * h);
    Put32(f, 2835);
    Put32(f, 2835);
    Put32(f, 0);
    Put32(f, 0);
    for (int row = h - 1; row >= 0; --row) {
        for (int x = 0; x < w; ++x) {
            int s = std::clamp(sums[static_cast<size_t>(row) * w + x], 0, 765);
            // Spread the sum over the three bytes; any order reads the same.
            int base = s / 3, extra = s % 3;
            f.push_back(static_cast<char>(base + (extra > 0)));
            f.push_back(static_cast<char>(base + (extra > 1)));
            f.push_back(static_cast<char>(base));
        }
        for (int p = w * 3; p < stride; ++p) f.push_back(0);
    }
    return WriteFile(path, f);
}

int WriteFile(const std::string& path, const std::string& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return 0;
    size_t n = fwrite(bytes.data(), 1, bytes.size(), f);
    int res = fclose(f) == 0 && n == bytes.size();
    return res;
}

int MakeFolder(const std::string& path)
{
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

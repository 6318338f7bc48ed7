// The text drawer's cache: one entry per string and size, the least recently
// drawn one making room when the cache is full.
#include "render/text.h"

#include <string>

#include "data/text_reader.h"
#include "render/course_text.h"
#include "render/device.h"

namespace {

const int kCacheEntries = 64;
const size_t kLongestText = 512;   // UTF-16 units; longer strings are cut

struct CachedText {
    std::string text;      // the UTF-8 string; empty when the entry is free
    int fontHeight;
    float scale;           // the picture scale its glyphs were rasterised at
    Glyph* glyphs;         // MakeGlyphs' array, null for an empty string
    int count;
    TextMetrics metrics;
    float width;           // sum of the advances
    uint64_t lastUse;      // the use counter when it was last drawn
};

struct TextCache {
    CachedText entries[kCacheEntries];
    uint64_t uses;         // +1 per lookup
};
TextCache cache;

void Release(CachedText* entry)
{
    if (entry->glyphs)
        FreeGlyphs(entry->glyphs, entry->count);
    *entry = CachedText{};
}

void Make(CachedText* entry, const char* utf8, int fontHeight, float scale)
{
    char16_t wide[kLongestText + 1];
    Utf8ToUtf16(utf8, wide, kLongestText + 1);
    entry->text = utf8;
    entry->fontHeight = fontHeight;
    entry->scale = scale;
    entry->glyphs = MakeGlyphs(wide, fontHeight, &entry->count, &entry->metrics, scale);
    entry->width = 0;
    for (int k = 0; k < entry->count; k++)
        entry->width += entry->glyphs[k].advanceX;
}

// A string made for another picture scale (before the window was resized)
// is made again; the old one ages out of the cache.
CachedText* Find(const char* utf8, int fontHeight)
{
    cache.uses++;
    const float scale = PictureScale();
    CachedText* oldest = &cache.entries[0];
    for (CachedText& e : cache.entries) {
        if (e.fontHeight == fontHeight && e.scale == scale && e.text == utf8) {
            e.lastUse = cache.uses;
            return &e;
        }
        if (e.lastUse < oldest->lastUse)
            oldest = &e;
    }
    Release(oldest);
    Make(oldest, utf8, fontHeight, scale);
    oldest->lastUse = cache.uses;
    return oldest;
}

void QueueGlyph(const Glyph& g, float left, float top, uint32_t colour, int32_t depth)
{
    float right = left + g.width, bottom = top + g.height;
    SpriteVertex v[4] = {
        {right, bottom, 0, 1, colour, g.u1, g.v1},
        {left, bottom, 0, 1, colour, g.u0, g.v1},
        {left, top, 0, 1, colour, g.u0, g.v0},
        {right, top, 0, 1, colour, g.u1, g.v0},
    };
    QueueQuad(g.texture, v, depth);
}

}  // namespace

void QueueText(const char* utf8, float x, float y, int fontHeight, uint32_t colour, int align,
               int32_t depth)
{
    if (!utf8 || !utf8[0])
        return;
    const CachedText* t = Find(utf8, fontHeight);
    float pen = align == TEXT_CENTRE ? x - t->width / 2 : align == TEXT_RIGHT ? x - t->width : x;
    float lineTop = y - t->metrics.height / 2.0f;
    for (int k = 0; k < t->count; k++) {
        const Glyph& g = t->glyphs[k];
        // Blanks and glyphs without a texture only move the pen.
        if (g.texture && g.width > 0 && g.character != 32 && g.character != 0x3000)
            QueueGlyph(g, pen + g.originX, lineTop + t->metrics.ascent - g.originY, colour, depth);
        pen += g.advanceX;
    }
}

float TextWidth(const char* utf8, int fontHeight)
{
    return utf8 && utf8[0] ? Find(utf8, fontHeight)->width : 0.0f;
}

int CachedTextTextures()
{
    int n = 0;
    for (const CachedText& e : cache.entries)
        n += e.glyphs && e.glyphs[0].texture ? 1 : 0;
    return n;
}

void ReleaseTextCache()
{
    ForgetKeptSprites();
    for (CachedText& e : cache.entries)
        Release(&e);
    cache.uses = 0;
}

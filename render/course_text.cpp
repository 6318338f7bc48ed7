// Text to texture: every character becomes a small white picture whose
// alpha is the glyph's coverage, with the metrics the course-select layout
// places it by. The pictures of one string are packed into one texture, so a
// description of hundreds of characters is drawn in one go. Made once per
// course shown, never per frame.
#include "render/course_text.h"

#include "data/course_list.h"
#include "data/course_texts.h"
#include "data/text_reader.h"
#include "data/texts.h"
#include "platform/glyph.h"
#include "platform/sys.h"
#include "render/device.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

CourseText courseText;

namespace {

// The Japanese proportional sans serif the layout was measured against.
const char* const kFaceFamily = "IPAPGothic";
const int kFaceWeight = 500;
const int kTitleFontHeight = 26;
const int kDocFontHeight = 18;
const size_t kTitleUnits = 256;

// The rasteriser the layout was made with knows 17 coverage levels; FreeType
// gives 256. Going through the coarse scale keeps the same edge softness.
uint8_t CoverageAlpha(uint8_t coverage)
{
    const uint32_t level = (coverage * 16u + 127u) / 255u;
    return static_cast<uint8_t>(level * 255u / 16u);
}

// Units that have no picture of their own: control characters (the CR that
// CR LF descriptions keep) and halves of surrogate pairs.
bool IsBlankUnit(char16_t unit)
{
    return unit < 0x20 || unit == 0x7F || (unit >= 0xD800 && unit <= 0xDFFF);
}

const uint32_t kAtlasWidth = 512;
const uint32_t kCellGap = 2;   // keeps neighbours apart in the smaller mip levels

// A glyph's picture before packing: its coverage and where its cell goes.
struct GlyphCell {
    GlyphImage image;
    uint32_t w, h;       // cell size
    uint32_t x, y;       // cell position in the atlas
};

// The rasteriser's box is tight around the ink; one clear pixel on each side
// lets the cell's clear outer ring fall on no stroke (a long vowel mark is a
// single row of ink).
void PadImage(GlyphImage* image)
{
    const uint32_t w = image->blackBoxX + 2, h = image->blackBoxY + 2;
    uint8_t* padded = static_cast<uint8_t*>(calloc(size_t(w) * h, 1));
    if (!padded)
        return;
    for (uint32_t r = 0; r < image->blackBoxY; ++r)
        memcpy(padded + (r + 1) * w + 1, image->coverage + size_t(r) * image->blackBoxX, image->blackBoxX);
    GlyphFreeImage(image);
    image->coverage = padded;
    image->blackBoxX = w;
    image->blackBoxY = h;
    image->originX -= 1;
    image->originY += 1;
}

void MakeGlyph(GlyphFace* face, char16_t unit, Glyph* glyph, GlyphCell* cell)
{
    GlyphImage& image = cell->image;
    image = {};
    glyph->character = unit;
    const bool rendered = face && !IsBlankUnit(unit) && GlyphRender(face, unit, &image);
    // No ink (a space) still has a 1 x 1 ink box and its advance, so the
    // layout advances over it rather than skipping it.
    if (image.blackBoxX == 0 || image.blackBoxY == 0 || !image.coverage) {
        GlyphFreeImage(&image);
        image.blackBoxX = 1;
        image.blackBoxY = 1;
    } else {
        PadImage(&image);
    }
    glyph->blackBoxX = image.blackBoxX;
    glyph->blackBoxY = image.blackBoxY;
    glyph->originX = image.originX;
    glyph->originY = image.originY;
    glyph->advanceX = rendered ? image.advanceX : 0;
    glyph->advanceY = rendered ? image.advanceY : 0;
    cell->w = (image.blackBoxX + 3) & ~3u;
    cell->h = image.blackBoxY;
}

// Shelves left to right, top to bottom; the atlas height that results.
uint32_t PackCells(std::vector<GlyphCell>& cells)
{
    uint32_t x = 0, y = 0, shelf = 0;
    for (GlyphCell& c : cells) {
        if (x + c.w > kAtlasWidth) {
            x = 0;
            y += shelf + kCellGap;
            shelf = 0;
        }
        c.x = x;
        c.y = y;
        x += c.w + kCellGap;
        shelf = c.h > shelf ? c.h : shelf;
    }
    return y + shelf;
}

// White, alpha from coverage, each cell's outer ring clear.
void PaintCell(const GlyphCell& c, uint8_t* rgba)
{
    for (uint32_t r = 0; r < c.h; ++r)
        for (uint32_t k = 0; k < c.w; ++k) {
            const bool ring = r == 0 || k == 0 || r == c.h - 1 || k == c.w - 1;
            const bool ink = c.image.coverage && k < c.image.blackBoxX && r < c.image.blackBoxY;
            const uint8_t source = ink ? c.image.coverage[r * c.image.blackBoxX + k] : 0;
            rgba[((size_t(c.y) + r) * kAtlasWidth + c.x + k) * 4 + 3] = ring ? 0 : CoverageAlpha(source);
        }
}

// One texture for the whole string; a string whose texture cannot be made
// leaves empty glyphs the layout skips.
void MakeAtlas(Glyph* glyphs, std::vector<GlyphCell>& cells)
{
    const uint32_t height = PackCells(cells);
    std::vector<uint8_t> rgba;
    rgba.assign(size_t(kAtlasWidth) * height * 4, 0xFF);
    for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 0;
    for (const GlyphCell& c : cells) PaintCell(c, rgba.data());
    Texture* atlas = height ? CreateTextureFromPixels(rgba.data(), int(kAtlasWidth), int(height)) : nullptr;
    for (size_t i = 0; i < cells.size(); ++i) {
        const GlyphCell& c = cells[i];
        Glyph& g = glyphs[i];
        g.texture = atlas;
        g.width = atlas ? float(c.w) : 0.0f;
        g.height = atlas ? float(c.h) : 0.0f;
        g.u0 = float(c.x) / float(kAtlasWidth);
        g.u1 = float(c.x + c.w) / float(kAtlasWidth);
        g.v0 = float(c.y) / float(height);
        g.v1 = float(c.y + c.h) / float(height);
    }
}

size_t UnitCount(const char16_t* text)
{
    size_t n = 0;
    while (text && text[n])
        ++n;
    return n;
}

void Append(char16_t* dest, size_t capacity, const char16_t* text)
{
    size_t at = UnitCount(dest);
    for (size_t i = 0; text[i] && at + 1 < capacity; ++i)
        dest[at++] = text[i];
    dest[at] = 0;
}

// Course name in the player's language, two spaces, then the record or the
// lack of one.
void BuildTitle(const CourseDef& course, char16_t* title, size_t capacity)
{
    title[0] = 0;
    Append(title, capacity, CourseName(course));
    courseText.nameGlyphCount = int(UnitCount(title));
    Append(title, capacity, u"  ");
    const uint32_t t = course.bestTimeMs;
    char record[128];
    if (t == 0)
        snprintf(record, sizeof record, "%s", Tr(TEXT_NO_RECORD));
    else
        snprintf(record, sizeof record, Tr(TEXT_BEST_TIME), t / 60000, t / 1000 % 60, t % 1000);
    char16_t wide[128];
    Utf8ToUtf16(record, wide, 128);
    Append(title, capacity, wide);
}

long FileSize(FILE* file)
{
    const long at = ftell(file);
    if (fseek(file, 0, SEEK_END) != 0)
        return 0;
    const long size = ftell(file);
    fseek(file, at, SEEK_SET);
    return size > 0 ? size : 0;
}

// The description's lines run together with their LF taken out; a line
// without a CR keeps its LF instead, so the last word of a line and the
// first of the next stay two words. No encoding the reader knows takes less
// than a byte per unit, so the file's size in units holds all of it (plus
// the LFs kept). A file too long for one read of the reader is not shown.
void ReadDescription(FILE* file)
{
    const long size = FileSize(file);
    if (size / 2 > TEXT_LINE_LIMIT)
        return;
    const long capacity = size;
    char16_t* text = new (std::nothrow) char16_t[capacity + 1]();
    if (!text)
        return;
    long total = 0;
    while (total < capacity) {
        const long room = capacity - total < long(TEXT_LINE_LIMIT) ? capacity - total : long(TEXT_LINE_LIMIT);
        const int got = ReadTextLine(file, text + total, static_cast<int>(room));
        if (got == 0)
            break;
        total += got;
        if (text[total - 1] != u'\r' && ftell(file) < size && total < capacity)
            text[total++] = u'\n';
    }
    courseText.docGlyphs = MakeGlyphs(text, kDocFontHeight, &courseText.docGlyphCount, &courseText.docMetrics);
    delete[] text;
}

void ShowMissingDocument(const char16_t* path)
{
    char name[1024];
    Utf16ToUtf8(path, name, sizeof name);
    char message[1200];
    snprintf(message, sizeof message, Tr(TEXT_MSG_NO_DESCRIPTION), name);
    SysErrorBox(message);
}

}  // namespace

Glyph* MakeGlyphs(const char16_t* text, int fontHeight, int* count, TextMetrics* metrics)
{
    const size_t n = UnitCount(text);
    GlyphFontMetrics fm = {};
    GlyphFace* face = GlyphOpenFace(kFaceFamily, fontHeight, kFaceWeight, &fm);
    *metrics = {fm.height, fm.ascent, fm.descent};
    *count = 0;
    Glyph* glyphs = n ? new (std::nothrow) Glyph[n]() : nullptr;
    if (glyphs) {
        std::vector<GlyphCell> cells(n);
        for (size_t i = 0; i < n; ++i)
            MakeGlyph(face, text[i], &glyphs[i], &cells[i]);
        MakeAtlas(glyphs, cells);
        for (GlyphCell& c : cells)
            GlyphFreeImage(&c.image);
        *count = static_cast<int>(n);
    }
    GlyphCloseFace(face);
    return glyphs;
}

void FreeGlyphs(Glyph* glyphs, int count)
{
    if (!glyphs)
        return;
    // The glyphs share their string's texture.
    if (count > 0 && glyphs[0].texture)
        ReleaseTexture(glyphs[0].texture);
    delete[] glyphs;
}

void LoadCourseText(const CourseDef& course)
{
    ReleaseCourseText();
    char16_t title[kTitleUnits];
    BuildTitle(course, title, kTitleUnits);
    courseText.titleGlyphs = MakeGlyphs(title, kTitleFontHeight, &courseText.titleGlyphCount,
                                        &courseText.titleMetrics);
    // The description in the player's language, from its folder where it
    // has one there.
    char document[1024], name[1100];
    Utf16ToUtf8(CourseDocument(course), document, sizeof document);
    LanguageFileName(document, name, sizeof name);
    FILE* file = OpenTextFile(name);
    if (!file) {
        ShowMissingDocument(CourseDocument(course));
        return;
    }
    ReadDescription(file);
    fclose(file);
}

void ReleaseCourseText()
{
    FreeGlyphs(courseText.titleGlyphs, courseText.titleGlyphCount);
    FreeGlyphs(courseText.docGlyphs, courseText.docGlyphCount);
    courseText.titleGlyphs = nullptr;
    courseText.titleGlyphCount = 0;
    courseText.nameGlyphCount = 0;
    courseText.docGlyphs = nullptr;
    courseText.docGlyphCount = 0;
}

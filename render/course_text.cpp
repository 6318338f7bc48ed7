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
#include "render/sprites.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cmath>
#include <new>
#include <string>
#include <vector>

CourseText courseText;

namespace {

// The texts the glyphs were made from, so a new scale needs no file.
struct CourseTextSource {
    std::u16string title;
    std::u16string doc;
    bool hasDoc;             // the description was read
    int nameUnits;           // the course name's share of the title
    int noteUnits;           // a note's share at the description's start, its LF included
};
CourseTextSource source;

}  // namespace

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
    uint32_t w, h;       // cell size in texels
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
    glyph->width = float(cell->w);
    glyph->height = float(cell->h);
}

// Shelves left to right, top to bottom; the atlas height that results.
uint32_t PackCells(std::vector<GlyphCell>& cells, uint32_t atlasWidth)
{
    uint32_t x = 0, y = 0, shelf = 0;
    for (GlyphCell& c : cells) {
        if (x + c.w > atlasWidth) {
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
void PaintCell(const GlyphCell& c, uint8_t* rgba, uint32_t atlasWidth)
{
    for (uint32_t r = 0; r < c.h; ++r)
        for (uint32_t k = 0; k < c.w; ++k) {
            const bool ring = r == 0 || k == 0 || r == c.h - 1 || k == c.w - 1;
            const bool ink = c.image.coverage && k < c.image.blackBoxX && r < c.image.blackBoxY;
            const uint8_t source = ink ? c.image.coverage[r * c.image.blackBoxX + k] : 0;
            rgba[((size_t(c.y) + r) * atlasWidth + c.x + k) * 4 + 3] = ring ? 0 : CoverageAlpha(source);
        }
}

// One texture for the whole string; a string whose texture cannot be made
// leaves empty glyphs the layout skips. The glyphs' boxes (width, height)
// are set already and stay; only where their cells lie is filled in.
void MakeAtlas(Glyph* glyphs, std::vector<GlyphCell>& cells, uint32_t atlasWidth)
{
    const uint32_t height = PackCells(cells, atlasWidth);
    std::vector<uint8_t> rgba;
    rgba.assign(size_t(atlasWidth) * height * 4, 0xFF);
    for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 0;
    for (const GlyphCell& c : cells) PaintCell(c, rgba.data(), atlasWidth);
    Texture* atlas = height ? CreateTextureFromPixels(rgba.data(), int(atlasWidth), int(height)) : nullptr;
    for (size_t i = 0; i < cells.size(); ++i) {
        const GlyphCell& c = cells[i];
        Glyph& g = glyphs[i];
        g.texture = atlas;
        if (!atlas)
            g.width = g.height = 0.0f;
        g.u0 = float(c.x) / float(atlasWidth);
        g.u1 = float(c.x + c.w) / float(atlasWidth);
        g.v0 = float(c.y) / float(height);
        g.v1 = float(c.y + c.h) / float(height);
    }
}

// The glyph's picture again from the larger face, laid into a cell `scale`
// times its box: its ink lands where the box's own ink would, scaled, so the
// layout made with the small face still fits it. Ink past the cell's clear
// ring (the larger face's hinting differs a little) is cut off.
void ScaleCell(GlyphFace* large, const Glyph& g, float scale, GlyphCell* cell)
{
    GlyphImage big = {};
    const uint32_t w = uint32_t(std::ceil(g.width * scale)), h = uint32_t(std::ceil(g.height * scale));
    uint8_t* coverage = static_cast<uint8_t*>(calloc(size_t(w) * h, 1));
    if (!coverage || !large || !GlyphRender(large, g.character, &big) || !big.coverage) {
        GlyphFreeImage(&big);
        free(coverage);
        return;   // the small picture stays, drawn larger
    }
    const int dx = big.originX - int(std::lround(g.originX * scale));
    const int dy = int(std::lround(g.originY * scale)) - big.originY;
    for (uint32_t r = 0; r < big.blackBoxY; ++r)
        for (uint32_t k = 0; k < big.blackBoxX; ++k) {
            const int x = dx + int(k), y = dy + int(r);
            if (x >= 1 && y >= 1 && x < int(w) - 1 && y < int(h) - 1)
                coverage[size_t(y) * w + x] = big.coverage[size_t(r) * big.blackBoxX + k];
        }
    GlyphFreeImage(&big);
    GlyphFreeImage(&cell->image);
    cell->image.coverage = coverage;
    cell->image.blackBoxX = w;
    cell->image.blackBoxY = h;
    cell->w = w;
    cell->h = h;
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
    source.nameUnits = int(UnitCount(title));
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

// Past this size a description shows nothing (the course checker warns of it).
const long kDescriptionBytes = 8192;

// Appends within capacity units (terminator included); what does not fit is cut.
void AppendUnits(char16_t* text, long* total, long capacity, const char16_t* units, long count)
{
    for (long i = 0; i < count && *total + 1 < capacity; ++i)
        text[(*total)++] = units[i];
    text[*total] = 0;
}

// A blank line, empty or with only the CR of a CR LF end, parts paragraphs.
bool IsBlankLine(const char16_t* line, int length)
{
    return length == 0 || (length == 1 && line[0] == u'\r');
}

// Latin words either side of a line end stay two words: a space joins them
// (after the CR a CR LF line keeps). Japanese runs on without one, as it is
// written. The LF the space stands for keeps the text within the file's size.
bool WordsMeetAcrossLines(const char16_t* text, long total, const char16_t* line, int length)
{
    auto latin = [](char16_t unit) { return unit > 0x20 && unit < 0x7F; };
    long last = total > 0 && text[total - 1] == u'\r' ? total - 2 : total - 1;
    return last >= 0 && length > 0 && latin(text[last]) && latin(line[0]);
}

// The description's lines run together with their LF taken out, since
// authors break long lines wherever their editor wraps. A blank line is a
// paragraph break: it ends the running line and leaves one empty line, as
// LF units the course-select layout starts a new line at. No mark or break
// takes more units than the bytes it comes from, so the file size (plus the
// terminator) always holds the text.
void ReadDescription(FILE* file)
{
    const long size = FileSize(file);
    if (size > kDescriptionBytes)
        return;
    const long capacity = size + 1;
    char16_t* text = new (std::nothrow) char16_t[capacity]();
    if (!text)
        return;
    char16_t line[TEXT_LINE_LIMIT + 1];
    long total = 0;
    int length = 0;
    while (ReadNextTextLine(file, line, TEXT_LINE_LIMIT, &length)) {
        if (!IsBlankLine(line, length)) {
            if (WordsMeetAcrossLines(text, total, line, length))
                AppendUnits(text, &total, capacity, u" ", 1);
            AppendUnits(text, &total, capacity, line, length);
            continue;
        }
        if (total > 0 && text[total - 1] != u'\n')
            AppendUnits(text, &total, capacity, u"\n", 1);
        AppendUnits(text, &total, capacity, u"\n", 1);
    }
    source.doc.assign(text);
    source.hasDoc = true;
    delete[] text;
}

void FreeCourseGlyphs()
{
    FreeGlyphs(courseText.titleGlyphs, courseText.titleGlyphCount);
    FreeGlyphs(courseText.docGlyphs, courseText.docGlyphCount);
    courseText = CourseText{};
}

void MakeCourseGlyphs(float scale)
{
    FreeCourseGlyphs();
    courseText.scale = scale;
    courseText.nameGlyphCount = source.nameUnits;
    courseText.noteGlyphCount = source.noteUnits;
    courseText.titleGlyphs = MakeGlyphs(source.title.c_str(), kTitleFontHeight, &courseText.titleGlyphCount,
                                        &courseText.titleMetrics, scale);
    if (source.hasDoc)
        courseText.docGlyphs = MakeGlyphs(source.doc.c_str(), kDocFontHeight, &courseText.docGlyphCount,
                                          &courseText.docMetrics, scale);
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

Glyph* MakeGlyphs(const char16_t* text, int fontHeight, int* count, TextMetrics* metrics, float scale)
{
    const size_t n = UnitCount(text);
    GlyphFontMetrics fm = {}, largeMetrics = {};
    GlyphFace* face = GlyphOpenFace(kFaceFamily, fontHeight, kFaceWeight, &fm);
    // Below 1.1 the picture's own pixels are near enough the layout's.
    const bool scaled = scale > 1.1f;
    GlyphFace* large = scaled ? GlyphOpenFace(kFaceFamily, int(std::lround(fontHeight * scale)),
                                              kFaceWeight, &largeMetrics) : nullptr;
    *metrics = {fm.height, fm.ascent, fm.descent};
    *count = 0;
    Glyph* glyphs = n ? new (std::nothrow) Glyph[n]() : nullptr;
    if (glyphs) {
        std::vector<GlyphCell> cells(n);
        for (size_t i = 0; i < n; ++i) {
            MakeGlyph(face, text[i], &glyphs[i], &cells[i]);
            if (scaled && cells[i].image.coverage)
                ScaleCell(large, glyphs[i], scale, &cells[i]);
        }
        const uint32_t widen = scaled ? uint32_t(std::ceil(scale)) : 1u;
        MakeAtlas(glyphs, cells, kAtlasWidth * (widen < 8 ? widen : 8));
        for (GlyphCell& c : cells)
            GlyphFreeImage(&c.image);
        *count = static_cast<int>(n);
    }
    GlyphCloseFace(large);
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

// A note about the course goes first, on a line of its own.
void PutNoteFirst(const char* noteUtf8)
{
    std::vector<char16_t> note(strlen(noteUtf8) + 2);
    Utf8ToUtf16(noteUtf8, note.data(), note.size());
    std::u16string first(note.data());
    first += u'\n';
    source.noteUnits = int(first.size());
    source.doc.insert(0, first);
    source.hasDoc = true;
}

void LoadCourseText(const CourseDef& course, const char* noteUtf8)
{
    ReleaseCourseText();
    char16_t title[kTitleUnits];
    BuildTitle(course, title, kTitleUnits);
    source.title.assign(title);
    // The description in the player's language, from its folder where it
    // has one there.
    char document[1024], name[1100];
    Utf16ToUtf8(CourseDocument(course), document, sizeof document);
    LanguageFileName(document, name, sizeof name);
    FILE* file = OpenTextFile(name);
    if (!file) {
        ShowMissingDocument(CourseDocument(course));
    } else {
        ReadDescription(file);
        fclose(file);
    }
    if (noteUtf8 && noteUtf8[0])
        PutNoteFirst(noteUtf8);
    MakeCourseGlyphs(PictureScale());
}

void ReleaseCourseText()
{
    ForgetKeptSprites();
    FreeCourseGlyphs();
    source = CourseTextSource{};
}

void FitCourseTextToPicture()
{
    const float scale = PictureScale();
    if (courseText.titleGlyphs && scale != courseText.scale)
        MakeCourseGlyphs(scale);
}

// Text to texture: every character becomes its own small white texture whose
// alpha is the glyph's coverage, with the metrics the course-select layout
// places it by. Made once per course shown, never per frame.
#include "render/course_text.h"

#include "data/course_list.h"
#include "data/text_reader.h"
#include "platform/glyph.h"
#include "platform/sys.h"
#include "render/device.h"

#include <cstdio>
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

// White texture, alpha from coverage, outer ring clear, rows padded to w.
Texture* MakeGlyphTexture(const GlyphImage& image, uint32_t w, uint32_t h)
{
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4, 0xFF);
    for (uint32_t r = 0; r < h; ++r)
        for (uint32_t k = 0; k < w; ++k) {
            const bool ring = r == 0 || k == 0 || r == h - 1 || k == w - 1;
            const bool ink = image.coverage && k < image.blackBoxX && r < image.blackBoxY;
            const uint8_t source = ink ? image.coverage[r * image.blackBoxX + k] : 0;
            rgba[(static_cast<size_t>(r) * w + k) * 4 + 3] = ring ? 0 : CoverageAlpha(source);
        }
    return CreateTextureFromPixels(rgba.data(), static_cast<int>(w), static_cast<int>(h));
}

void MakeGlyph(GlyphFace* face, char16_t unit, Glyph* glyph)
{
    GlyphImage image = {};
    glyph->character = unit;
    const bool rendered = face && !IsBlankUnit(unit) && GlyphRender(face, unit, &image);
    // No ink (a space) still has a 1 x 1 ink box and its advance, so the
    // layout advances over it rather than skipping it.
    if (image.blackBoxX == 0 || image.blackBoxY == 0) {
        image.blackBoxX = 1;
        image.blackBoxY = 1;
    }
    glyph->blackBoxX = image.blackBoxX;
    glyph->blackBoxY = image.blackBoxY;
    glyph->originX = image.originX;
    glyph->originY = image.originY;
    glyph->advanceX = rendered ? image.advanceX : 0;
    glyph->advanceY = rendered ? image.advanceY : 0;
    const uint32_t w = (image.blackBoxX + 3) & ~3u, h = image.blackBoxY;
    glyph->texture = MakeGlyphTexture(image, w, h);
    // A picture that cannot be made leaves an empty glyph the layout skips.
    glyph->width = glyph->texture ? static_cast<float>(w) : 0.0f;
    glyph->height = glyph->texture ? static_cast<float>(h) : 0.0f;
    GlyphFreeImage(&image);
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

// Course name, two spaces, then the record or the lack of one.
void BuildTitle(const CourseDef& course, char16_t* title, size_t capacity)
{
    title[0] = 0;
    Append(title, capacity, course.FIELD_NAME);
    Append(title, capacity, u"  ");
    const uint32_t t = course.bestTimeMs;
    if (t == 0) {
        Append(title, capacity, u"(記録なし)");
        return;
    }
    char numbers[64];
    snprintf(numbers, sizeof numbers, "%u分%u秒%u)", t / 60000, t / 1000 % 60, t % 1000);
    char16_t wide[64];
    Utf8ToUtf16(numbers, wide, 64);
    Append(title, capacity, u"(記録時間:");
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

// The description's lines run together with their LF taken out; at most
// half the file size in characters.
void ReadDescription(FILE* file)
{
    const long capacity = FileSize(file) / 2;
    char16_t* text = new (std::nothrow) char16_t[capacity + 1]();
    if (!text)
        return;
    long total = 0;
    while (total < capacity) {
        const int got = ReadTextLine(file, text + total, static_cast<int>(capacity - total));
        if (got == 0)
            break;
        total += got;
    }
    courseText.docGlyphs = MakeGlyphs(text, kDocFontHeight, &courseText.docGlyphCount, &courseText.docMetrics);
    delete[] text;
}

void ShowMissingDocument(const char16_t* path)
{
    char name[1024];
    Utf16ToUtf8(path, name, sizeof name);
    char message[1200];
    snprintf(message, sizeof message, "コースの説明文ファイルが見つかりません\n'%s'", name);
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
        for (size_t i = 0; i < n; ++i)
            MakeGlyph(face, text[i], &glyphs[i]);
        *count = static_cast<int>(n);
    }
    GlyphCloseFace(face);
    return glyphs;
}

void FreeGlyphs(Glyph* glyphs, int count)
{
    if (!glyphs)
        return;
    for (int i = 0; i < count; ++i)
        ReleaseTexture(glyphs[i].texture);
    delete[] glyphs;
}

void LoadCourseText(const CourseDef& course)
{
    ReleaseCourseText();
    char16_t title[kTitleUnits];
    BuildTitle(course, title, kTitleUnits);
    courseText.titleGlyphs = MakeGlyphs(title, kTitleFontHeight, &courseText.titleGlyphCount,
                                        &courseText.titleMetrics);
    FILE* file = OpenTextFile(course.DOCUMENT);
    if (!file) {
        ShowMissingDocument(course.DOCUMENT);
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
    courseText.docGlyphs = nullptr;
    courseText.docGlyphCount = 0;
}

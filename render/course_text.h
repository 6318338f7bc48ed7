// Text turned into textures: one small white-with-alpha texture per character
// with the metrics that place it on a line. The course-select screen shows
// the current course's title line and description this way.
#pragma once
#include <cstdint>

struct Texture;
struct CourseDef;

// The glyphs of one string share one texture, each in its own cell, so a
// whole line of text is one draw.
struct Glyph {
    Texture* texture;        // the string's picture; null when it could not be made
    float width;             // cell width: ink box width rounded up to a multiple of 4
    float height;            // cell height: ink box height
    float u0, v0, u1, v1;    // the cell in the texture
    uint32_t blackBoxX;      // ink box width
    uint32_t blackBoxY;      // ink box height
    int32_t originX;         // ink box's left edge relative to the pen
    int32_t originY;         // ink box's top edge above the baseline
    int16_t advanceX;        // pen advance
    int16_t advanceY;
    uint16_t character;      // the UTF-16 unit
};

struct TextMetrics {
    int height;              // ascent + descent: line spacing
    int ascent;
    int descent;
};

// One glyph per UTF-16 unit of the zero-terminated text, in order (new[];
// free with FreeGlyphs, which also releases their shared texture). Null with
// *count 0 for an empty text. Each ink box has a clear one-pixel margin, so
// the cell's clear outer ring never cuts into a stroke.
// Boxes, origins, advances and metrics are always those of fontHeight, in
// the 2D layer's units, so a layout never changes with the window; the
// pictures are rasterised `scale` times as large (the picture's pixels per
// unit), so text drawn into a big window stays crisp.
Glyph* MakeGlyphs(const char16_t* text, int fontHeight, int* count, TextMetrics* metrics,
                  float scale = 1.0f);
void   FreeGlyphs(Glyph* glyphs, int count);

// The text of the course on display in course select.
struct CourseText {
    Glyph* titleGlyphs;      // name, two spaces, record text; font height 26
    int titleGlyphCount;
    int nameGlyphCount;      // the name's glyphs at the line's start
    TextMetrics titleMetrics;
    Glyph* docGlyphs;        // the description; font height 18
    int docGlyphCount;
    int noteGlyphCount;      // a note's glyphs at its start (shown in another colour)
    TextMetrics docMetrics;
    float scale;             // the picture scale the glyphs were rasterised at
};
extern CourseText courseText;

// `noteUtf8`, when given, is said on a line of its own before the
// description (a course whose model cannot be shown says why).
void LoadCourseText(const CourseDef& course, const char* noteUtf8 = nullptr);
void ReleaseCourseText();
// Rasterises the loaded text again when the picture's scale has changed
// since (a resized window); before any of its glyphs are queued.
void FitCourseTextToPicture();

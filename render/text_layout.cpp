// Word wrap for the course descriptions.
#include "render/text_layout.h"

#include "render/course_text.h"

namespace {

bool IsBlank(const Glyph& g)
{
    return g.character == 32 || g.character == 0x3000;
}

// Kana, kanji, full-width forms and whatever else is written without spaces.
bool IsWide(const Glyph& g)
{
    return g.character >= 0x2E80;
}

// A glyph that joins its neighbours into a word: Latin letters, digits and
// marks. Blanks and control characters (the CR a line keeps) stand between
// words.
bool InWord(const Glyph& g)
{
    return !IsBlank(g) && !IsWide(g) && g.character >= 0x20;
}

// Where the word [first, end) ends: a run of word glyphs, or one glyph.
int WordEnd(const Glyph* glyphs, int count, int first)
{
    int end = first + 1;
    if (InWord(glyphs[first]))
        while (end < count && InWord(glyphs[end]))
            end++;
    return end;
}

bool Overflows(const Glyph& g, float pen, float right)
{
    return pen + g.originX + g.width > right;
}

// Whether the whole word fits on the line from `pen`.
bool WordFits(const Glyph* glyphs, int first, int end, float pen, float right)
{
    for (int k = first; k < end; k++) {
        if (Overflows(glyphs[k], pen, right))
            return false;
        pen += glyphs[k].advanceX;
    }
    return true;
}

}  // namespace

void LayoutLines(const Glyph* glyphs, int count, float left, float right, GlyphPlace* places)
{
    float pen = left;
    int line = 0;
    for (int first = 0; first < count;) {
        const Glyph& g = glyphs[first];
        if (g.character == u'\n') {
            places[first++] = {pen, line};
            pen = left;
            line++;
            continue;
        }
        // Blanks and line ends never start a line: they may hang past its end.
        if (!InWord(g) && !IsWide(g)) {
            places[first++] = {pen, line};
            pen += g.advanceX;
            continue;
        }
        const int end = WordEnd(glyphs, count, first);
        if (pen > left && !WordFits(glyphs, first, end, pen, right) && WordFits(glyphs, first, end, left, right)) {
            pen = left;
            line++;
        }
        // A word longer than a whole line breaks where the line ends.
        for (int k = first; k < end; k++) {
            if (pen > left && Overflows(glyphs[k], pen, right)) {
                pen = left;
                line++;
            }
            places[k] = {pen, line};
            pen += glyphs[k].advanceX;
        }
        first = end;
    }
}

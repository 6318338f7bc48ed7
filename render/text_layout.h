// Lines of text in the course-select panel: where each glyph of a wrapped
// description stands. Latin words wrap whole at blanks and line ends, and a
// word longer than a line is broken where the line ends; Japanese (any wide
// character) may break before and after every character, as it is written
// without spaces. An LF (a paragraph break) starts a new line. The layout covers the whole text, so a typewriter that
// shows only its first glyphs never moves a word once it is out.
#pragma once

struct Glyph;

struct GlyphPlace {
    float x;     // the pen
    int line;    // from 0
};

// Lays `count` glyphs out on lines from `left` to `right`: a glyph fits
// while its ink box ends at `right` or before. places holds count entries.
void LayoutLines(const Glyph* glyphs, int count, float left, float right, GlyphPlace* places);

// One character of a font turned into an 8-bit coverage picture, with the
// metrics needed to place it on a line. Used by the text-to-texture code and
// by the content generator for menu lettering.
#pragma once
#include <cstdint>

struct GlyphFace;                // an opened font face at one size

struct GlyphFontMetrics {
    int height;                  // ascent + descent, the line's cell height
    int ascent;                  // pixels above the baseline
    int descent;                 // pixels below the baseline (positive)
};

struct GlyphImage {
    uint32_t blackBoxX;          // width of the ink box (and of coverage rows)
    uint32_t blackBoxY;          // height of the ink box
    int32_t originX;             // ink box's left edge relative to the pen
    int32_t originY;             // ink box's top edge above the baseline
    int16_t advanceX;            // pen advance to the next character
    int16_t advanceY;
    uint8_t* coverage;           // blackBoxX × blackBoxY, 0..255, top row first
};

// Opens the installed face that best matches familyUtf8 (any Japanese
// proportional sans serif is taken when the family is missing) so that its
// ascent + descent is cellHeight pixels. weight follows the usual scale
// (400 regular, 700 bold); from 600 up the outlines are thickened.
// Null when no face can be opened.
GlyphFace* GlyphOpenFace(const char* familyUtf8, int cellHeight, int weight,
                         GlyphFontMetrics* metrics);
void GlyphCloseFace(GlyphFace* face);

// Renders one character. 1 on success; a character with no ink (space)
// still succeeds with a 0 × 0 box and its advance. The coverage buffer is
// malloc'd; free it with GlyphFreeImage.
int  GlyphRender(GlyphFace* face, char32_t ch, GlyphImage* out);
void GlyphFreeImage(GlyphImage* image);

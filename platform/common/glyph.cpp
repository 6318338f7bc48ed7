// Glyph rasteriser on FreeType, with fontconfig choosing the face file.
#include "platform/glyph.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

struct GlyphFace {
    FT_Library library;    // one library per face keeps faces independent
    FT_Face face;
    FT_Pos embolden;       // outline thickening, 26.6 pixels (0 = none)
};

namespace {

// Asks fontconfig for the file of the family, preferring faces that cover
// Japanese so that a missing family still yields kana and kanji.
int FindFaceFile(const char* family, char* path, size_t pathSize, int* index)
{
    if (!FcInit()) return 0;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family));
    if (!pattern) {
        FcFini();
        return 0;
    }
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) {
        FcFini();
        return 0;
    }
    int res = 0;
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
        snprintf(path, pathSize, "%s", reinterpret_cast<const char*>(file));
        if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch) *index = 0;
        res = 1;
    }
    FcPatternDestroy(match);
    // Nothing else keeps fontconfig's tables: let them go with the lookup.
    FcFini();
    return res;
}

// The line's extent in font units: the Windows ascent/descent pair where the
// face has one, since the game's layout was made against those numbers.
void FaceExtent(FT_Face face, long* ascent, long* descent)
{
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
        *ascent = os2->usWinAscent;
        *descent = os2->usWinDescent;
        return;
    }
    *ascent = face->ascender;
    *descent = -face->descender;
}

int SetCellHeight(GlyphFace* g, int cellHeight, int weight, GlyphFontMetrics* metrics)
{
    long ascent = 0, descent = 0;
    FaceExtent(g->face, &ascent, &descent);
    if (ascent + descent <= 0 || cellHeight <= 0) return 0;
    // The cell height asked for is the Windows line extent: the em is that
    // height scaled by units_per_EM / (winAscent + winDescent), asked for as
    // a nominal size (24.17 ppem for a 26-pixel cell of the shipped face).
    double ppem = static_cast<double>(cellHeight) * g->face->units_per_EM / (ascent + descent);
    const FT_Long size = static_cast<FT_Long>(std::lround(ppem * 64));
    FT_Size_RequestRec request = {FT_SIZE_REQUEST_TYPE_NOMINAL, size, size, 0, 0};
    if (FT_Request_Size(g->face, &request))
        return 0;
    // Like the Windows rasteriser, thicken only from semibold up; a medium
    // weight of a face that has no medium cut draws as regular.
    if (weight >= 600) g->embolden = static_cast<FT_Pos>(std::lround(ppem * 64 / 24.0 * (weight - 400) / 300.0));
    if (metrics) {
        metrics->ascent = static_cast<int>(std::lround(static_cast<double>(cellHeight) * ascent / (ascent + descent)));
        metrics->descent = cellHeight - metrics->ascent;
        metrics->height = cellHeight;
    }
    return 1;
}

void CopyBitmap(const FT_Bitmap& bitmap, GlyphImage* out)
{
    out->blackBoxX = bitmap.width;
    out->blackBoxY = bitmap.rows;
    size_t size = static_cast<size_t>(bitmap.width) * bitmap.rows;
    out->coverage = static_cast<uint8_t*>(calloc(size ? size : 1, 1));
    for (unsigned r = 0; r < bitmap.rows; ++r) {
        const unsigned char* src = bitmap.buffer + static_cast<long>(r) * bitmap.pitch;
        memcpy(out->coverage + static_cast<size_t>(r) * bitmap.width, src, bitmap.width);
    }
}

} // namespace

GlyphFace* GlyphOpenFace(const char* familyUtf8, int cellHeight, int weight,
                         GlyphFontMetrics* metrics)
{
    char path[1024];
    int index = 0;
    if (!FindFaceFile(familyUtf8 ? familyUtf8 : "sans-serif", path, sizeof path, &index)) return nullptr;
    GlyphFace* g = static_cast<GlyphFace*>(calloc(1, sizeof(GlyphFace)));
    if (FT_Init_FreeType(&g->library)) {
        free(g);
        return nullptr;
    }
    if (FT_New_Face(g->library, path, index, &g->face) || !SetCellHeight(g, cellHeight, weight, metrics)) {
        GlyphCloseFace(g);
        return nullptr;
    }
    return g;
}

void GlyphCloseFace(GlyphFace* face)
{
    if (!face) return;
    if (face->face) FT_Done_Face(face->face);
    if (face->library) FT_Done_FreeType(face->library);
    free(face);
}

int GlyphRender(GlyphFace* face, char32_t ch, GlyphImage* out)
{
    memset(out, 0, sizeof *out);
    if (!face) return 0;
    // Embedded bitmaps would come out unsmoothed; the outlines are wanted.
    if (FT_Load_Char(face->face, ch, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP)) return 0;
    FT_GlyphSlot slot = face->face->glyph;
    if (face->embolden && slot->format == FT_GLYPH_FORMAT_OUTLINE)
        FT_Outline_Embolden(&slot->outline, face->embolden);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL)) return 0;
    CopyBitmap(slot->bitmap, out);
    out->originX = slot->bitmap_left;
    out->originY = slot->bitmap_top;
    out->advanceX = static_cast<int16_t>((slot->advance.x + face->embolden + 32) >> 6);
    out->advanceY = static_cast<int16_t>((slot->advance.y + 32) >> 6);
    return 1;
}

void GlyphFreeImage(GlyphImage* image)
{
    if (!image) return;
    free(image->coverage);
    image->coverage = nullptr;
}

#include "graphics/text.h"

#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>

namespace {

// The cell's ascent and descent in font units: the OS/2 clipping extents,
// which bound every glyph of the face, else the horizontal header's.
void cell_extent(FT_Face face, long& ascent, long& descent)
{
    auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        ascent = os2->usWinAscent;
        descent = os2->usWinDescent;
    } else {
        ascent = face->ascender;
        descent = -face->descender;
    }
    if (ascent + descent <= 0) { // no usable metrics: treat the em as the cell
        ascent = face->units_per_EM * 4 / 5;
        descent = face->units_per_EM - ascent;
    }
}

// Scales the face so its cell is `height` pixels; returns the ascent in pixels.
int size_cell(FT_Face face, int height)
{
    long ascent, descent;
    cell_extent(face, ascent, descent);
    double em = double(height) * face->units_per_EM / double(ascent + descent);
    FT_Set_Char_Size(face, 0, FT_F26Dot6(std::lround(em * 64)), 72, 72);
    return int(std::lround(double(height) * ascent / double(ascent + descent)));
}

// Hinted advances, the same ones the pen steps by when drawing.
int advance_sum(FT_Face face, std::u32string_view text)
{
    FT_Pos pen = 0;
    for (char32_t c : text)
        if (FT_Load_Char(face, c, FT_LOAD_NO_BITMAP) == 0)
            pen += face->glyph->advance.x;
    return int((pen + 32) >> 6);
}

void fill_black(const text_target& target, int left, int top, int width, int height)
{
    int x0 = std::max(left, 0), x1 = std::min(left + width, target.width);
    for (int y = std::max(top, 0); y < std::min(top + height, target.height); ++y)
        if (x1 > x0)
            std::fill(target.red + y * target.width + x0, target.red + y * target.width + x1, 0);
}

// Lays a glyph's coverage over the target, kept to rows [cell_top, cell_bottom)
// so one string never reaches into a neighbouring caption row.
void blend_glyph(const text_target& target, const FT_Bitmap& glyph, int left, int top, int cell_top,
                 int cell_bottom)
{
    if (glyph.pixel_mode != FT_PIXEL_MODE_GRAY)
        return;
    int row_begin = std::max({top, cell_top, 0});
    int row_end = std::min({top + int(glyph.rows), cell_bottom, target.height});
    int col_begin = std::max(left, 0);
    int col_end = std::min(left + int(glyph.width), target.width);
    for (int y = row_begin; y < row_end; ++y) {
        const unsigned char* source = glyph.buffer + (y - top) * glyph.pitch;
        unsigned char* row = target.red + y * target.width;
        for (int x = col_begin; x < col_end; ++x)
            row[x] = std::max(row[x], source[x - left]);
    }
}

} // namespace

int text_width(FT_Face face, int height, std::u32string_view text)
{
    size_cell(face, height);
    return advance_sum(face, text);
}

void draw_text(const text_target& target, FT_Face face, int height, std::u32string_view text, int x, int y,
               text_align align)
{
    if (!face)
        return;
    int ascent = size_cell(face, height);
    int width = advance_sum(face, text);
    int left = align == text_align::left ? x : align == text_align::right ? x - width : x - width / 2;
    fill_black(target, left, y, width, height);

    FT_Pos pen = FT_Pos(left) * 64;
    for (char32_t c : text) {
        if (FT_Load_Char(face, c, FT_LOAD_RENDER | FT_LOAD_NO_BITMAP) != 0)
            continue;
        FT_GlyphSlot glyph = face->glyph;
        blend_glyph(target, glyph->bitmap, int(pen >> 6) + glyph->bitmap_left, y + ascent - glyph->bitmap_top,
                    y, y + height);
        pen += glyph->advance.x;
    }
}

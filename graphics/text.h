// Drawing a string into a one-byte image such as the atlas: white text on a black box that is
// the string's advance width by its cell height.
#pragma once
#include <ft2build.h>
#include FT_FREETYPE_H

#include <string_view>

enum class text_align { left, right, centre };

// A one-byte-per-texel image to draw into, row 0 first.
struct text_target {
    unsigned char* red;
    int width, height;
};

// Sum of the glyph advances of `text` in pixels, with the face's cell (ascent
// plus descent) `height` pixels high.
int text_width(FT_Face face, int height, std::u32string_view text);

// Draws `text` into `target` with the top of its cell at row y and x as its
// left edge, right edge or centre. A null face draws nothing.
void draw_text(const text_target& target, FT_Face face, int height, std::u32string_view text, int x, int y,
               text_align align);

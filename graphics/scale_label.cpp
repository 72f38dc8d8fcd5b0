#include "graphics/scale_label.h"

#include <vector>

#include "graphics/authoring.h"
#include "graphics/fonts.h"
#include "graphics/text.h"

namespace {
constexpr int cell = 36, box_width = 96, box_height = cell + 12, margin = 16;
const char32_t* const names[] = {U"full", U"1/2", U"1/4", U"1/8"};
constexpr int label_count = sizeof names / sizeof names[0];
// W x 1080 each, as draw_overlay reads them; only the box is drawn in.
std::vector<unsigned char> labels[label_count];

overlay_rect box() { return {(W - column_width) / 2 + margin, margin, box_width, box_height}; }
}

void make_scale_labels()
{
    FT_Library library;
    FT_Face face = FT_Init_FreeType(&library) == 0 ? open_face(library, "sans", 700, U"full/1248", "the scale's label")
                                                   : nullptr;
    const overlay_rect r = box();
    for (int k = 0; k < label_count; ++k) {
        labels[k].assign(size_t(W) * frame_height, 0);
        draw_text({labels[k].data(), W, frame_height}, face, cell, names[k], r.x + box_width / 2, r.y + 6,
                  text_align::centre);
    }
}

void draw_scale_label(int scale)
{
    int k = 0;
    while (k + 1 < label_count && 1 << k < scale)
        ++k;
    if (labels[k].size() != size_t(W) * frame_height)
        return; // not made, or for another width
    const overlay_rect r = box();
    draw_overlay(labels[k].data(), &r, 1);
}

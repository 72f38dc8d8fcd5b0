#include "graphics/atlas.h"

#include <cstring>
#include <thread>

#include "graphics/captions.h"
#include "graphics/cp1252.h"
#include "graphics/fonts.h"
#include "graphics/text.h"

namespace {

constexpr char32_t thumbs[] = U"\U0001F44D \U0001F44E"; // thumbs-up, space, thumbs-down
constexpr int caption_row_pitch = 92;

// The atlas drawn beside the show's start-up.
struct atlas_drawing {
    std::thread thread;
    std::vector<unsigned char> red;
};
atlas_drawing drawing;

} // namespace

void draw_caption_atlas(unsigned char* red)
{
    std::memset(red, 0, atlas_width * atlas_height);
    const text_target atlas = {red, atlas_width, atlas_height};
    FT_Library library;
    if (FT_Init_FreeType(&library) != 0)
        return;
    FT_Face banner_face = open_face(library, "", 800, U"", "the banners (the default face)");
    FT_Face icon_face = open_face(library, "", 400, thumbs, "the thumbs-up and thumbs-down icons");
    FT_Face times = open_face(library, "Times", 1, U"", "Times");

    // Later strings' black boxes cover earlier ink, so the order matters.
    for (int k = 0; k < banner_count; ++k) {
        // One cell of height 2048 / (length + 1) centred in band 3 + k.
        int height = 2048 / (int(std::strlen(banner_strings[k])) + 1);
        draw_text(atlas, banner_face, height, from_cp1252(banner_strings[k]), 512, 3584 + 1024 * k,
                  text_align::centre);
    }
    for (int k = 0; k < entry_count; ++k)
        draw_text(atlas, icon_face, 72, thumbs, 832, caption_row_pitch * k + 32, text_align::left);
    for (int k = 0; k < entry_count; ++k) {
        int top = caption_row_pitch * k;
        draw_text(atlas, times, 52, from_cp1252(credit_lines[k]), 48, top + 22, text_align::left);
        draw_text(atlas, times, 52, from_cp1252(like_counts[k]), 810, top + 42, text_align::right);
    }
    for (int k = 0; k < entry_count; ++k)
        draw_text(atlas, times, 38, from_cp1252(entry_titles[k]), 48, caption_row_pitch * k + 75,
                  text_align::left);
    FT_Done_FreeType(library); // closes the faces too
}

void start_drawing_caption_atlas()
{
    drawing.red.resize(size_t(atlas_width) * atlas_height);
    drawing.thread = std::thread(draw_caption_atlas, drawing.red.data());
}

std::vector<unsigned char> take_caption_atlas()
{
    if (drawing.thread.joinable()) {
        drawing.thread.join();
    } else {
        drawing.red.resize(size_t(atlas_width) * atlas_height);
        draw_caption_atlas(drawing.red.data());
    }
    return std::move(drawing.red);
}

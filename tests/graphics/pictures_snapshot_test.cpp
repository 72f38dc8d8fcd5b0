// The show's static screens, the quiz board (entry 33) and the end screen (entry 36), as
// their built-in effects draw them with the real caption atlas, against their snapshots.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/atlas.h"
#include "graphics/authoring.h"
#include "graphics/shader_sources.h"
#include "tests/fixtures/snapshot.h"
#include "tests/graphics/gpu_harness.h"

TEST(ShowSnapshot, StaticScreensAsDrawn)
{
    start_gpu(column_width);
    std::vector<unsigned char> atlas(size_t(atlas_width) * atlas_height);
    draw_caption_atlas(atlas.data());
    upload_atlas(atlas.data());
    std::string texts[shader_slots];
    const char* table[shader_slots];
    texts[0] = embedded_source("prefix.hlsl");
    for (int e = 0; e < entry_count; ++e)
        texts[e + 1] = position_effect(e);
    const std::pair<int, const char*> screens[] = {{33, "the quiz board"}, {36, "the end screen"}};
    for (const auto& [entry, what] : screens)
        texts[entry + 1] = embedded_source(source_files[entry + 1]);
    for (int i = 0; i < shader_slots; ++i)
        table[i] = texts[i].c_str();
    compile_shaders(table);

    for (const auto& [entry, what] : screens) {
        ASSERT_TRUE(shader_slot_filled(entry + 1)) << "entry " << entry << " does not compile";
        set_plain_constants();
        draw_at(float(entry));
        const unsigned* words = presented_pixels();
        std::vector<unsigned char> rgb(size_t(column_width) * frame_height * 3);
        for (size_t p = 0; p < size_t(column_width) * frame_height; ++p)
            for (int c = 0; c < 3; ++c)
                rgb[p * 3 + c] = (unsigned char)(((words[p] >> (10 * c) & 1023) * 255 + 511) / 1023);
        check_picture_snapshot("entry" + std::to_string(entry) + ".png", "entry " + std::to_string(entry) + " (" + what + ")",
                               column_width, frame_height, rgb);
    }
}

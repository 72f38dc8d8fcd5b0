#include <gtest/gtest.h>

#include "graphics/authoring.h"
#include "graphics/device.h"
#include "graphics/gpu.h"
#include "graphics/shader_sources.h"
#include "tests/graphics/gpu_harness.h"

namespace {
// The built-in table with entry `broken`'s text replaced by a syntax error.
void compile_with_broken_entry(int broken)
{
    const char* table[shader_slots];
    for (int i = 0; i < shader_slots; ++i)
        table[i] = builtin_source_table()[i];
    table[broken + 1] = "void ya(out float4 o, float2 h) { o = ; }\n";
    compile_shaders(table);
}

int empty_slots()
{
    int empty = 0;
    for (gpu_shader* s : shader_table)
        empty += !s;
    return empty;
}
}

TEST(Compile, EveryBuiltInTextFillsItsSlot)
{
    start_gpu(column_width);
    compile_shaders(nullptr);
    for (int slot = 0; slot < shader_slots; ++slot)
        EXPECT_NE(shader_table[slot], nullptr) << "slot " << slot;

    // Shared texts still give each entry a shader object of its own.
    for (auto [a, b] : {std::pair{12, 22}, {23, 31}, {23, 35}, {31, 35}}) {
        ASSERT_TRUE(shader_table[a] && shader_table[b]);
        EXPECT_NE(shader_table[a], shader_table[b]);
        EXPECT_NE(shader_table[a]->pipeline[0], shader_table[b]->pipeline[0]);
    }
}

TEST(Compile, ABrokenTextEmptiesOnlyItsSlot)
{
    start_gpu(column_width);
    compile_with_broken_entry(5);
    EXPECT_EQ(shader_table[6], nullptr);
    EXPECT_EQ(empty_slots(), 1);
}

TEST(Compile, ABrokenEntryZeroAlsoLosesTheComposite)
{
    start_gpu(column_width);
    compile_with_broken_entry(0);
    EXPECT_EQ(shader_table[0], nullptr);
    EXPECT_EQ(shader_table[1], nullptr);
    EXPECT_EQ(empty_slots(), 2);
}

// One compile serves the entries that share a text; where it fails, each
// entry's slot is still empty and named in a report of its own.
TEST(Compile, ABrokenTextSharedByEntriesEmptiesAndNamesEach)
{
    start_gpu(column_width);
    const char* table[shader_slots];
    for (int i = 0; i < shader_slots; ++i)
        table[i] = builtin_source_table()[i];
    const char* broken = "void ya(out float4 o, float2 h) { o = ; }\n";
    table[entry_slot(11)] = table[entry_slot(21)] = broken;
    testing::internal::CaptureStderr();
    compile_shaders(table);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(shader_table[entry_slot(11)], nullptr);
    EXPECT_EQ(shader_table[entry_slot(21)], nullptr);
    EXPECT_EQ(empty_slots(), 2);
    EXPECT_NE(said.find("entry 11 did not compile"), std::string::npos) << said;
    EXPECT_NE(said.find("entry 21 did not compile"), std::string::npos) << said;
}

TEST(Compile, AMissingOrOverlongTextEmptiesItsSlot)
{
    start_gpu(column_width);
    const char* table[shader_slots];
    for (int i = 0; i < shader_slots; ++i)
        table[i] = builtin_source_table()[i];
    const std::string overlong = std::string(table[3]) + "//" + std::string(65536, 'x') + "\n";
    table[3] = overlong.c_str();
    table[4] = nullptr;
    compile_shaders(table);
    EXPECT_EQ(shader_table[3], nullptr);
    EXPECT_EQ(shader_table[4], nullptr);
    EXPECT_EQ(empty_slots(), 2);
}

TEST(Compile, AnEffectWithConstantsOfItsOwnIsRefused)
{
    // Only the prefix's constants are bound; a variable of the effect's own would be read past them.
    start_gpu(column_width);
    const char* table[shader_slots];
    for (int i = 0; i < shader_slots; ++i)
        table[i] = builtin_source_table()[i];
    table[entry_slot(7)] = "float4 mine;\nvoid ya(out float4 o, float2 h) { o = mine + c.x; }\n";
    std::string report;
    EXPECT_EQ(compile_slot(entry_slot(7), table, report), nullptr);
    EXPECT_NE(report.find("entry 7 declares constants of its own"), std::string::npos) << report;
    table[entry_slot(7)] = "static float4 mine = 1;\nvoid ya(out float4 o, float2 h) { o = mine + c.x; }\n";
    gpu_shader* kept = compile_slot(entry_slot(7), table, report);
    EXPECT_NE(kept, nullptr) << report;
    retire_shader(kept);
}

// Compiling runs each shader once to ready it; what was drawn must survive
// that, or the first frames after start-up would differ.
TEST(Compile, ReadyingThePipelinesLeavesTheImagesAsTheyWere)
{
    start_gpu(column_width);
    compile_position_effects();
    set_plain_constants();
    draw_at(3);
    const int spots[][2] = {{0, 0}, {7, 7}, {300, 500}, {column_width - 1, int(frame_height) - 1}};
    pixel before[4];
    for (int s = 0; s < 4; ++s)
        before[s] = back_buffer_at(spots[s][0], spots[s][1]);
    compile_position_effects(2, "void ya(out float4 o, float2 h) { o = float4(1, 0, 1, 1); }\n");
    present();
    for (int s = 0; s < 4; ++s) {
        const pixel after = back_buffer_at(spots[s][0], spots[s][1]);
        EXPECT_EQ(after.r, before[s].r) << "spot " << s;
        EXPECT_EQ(after.g, before[s].g) << "spot " << s;
        EXPECT_EQ(after.b, before[s].b) << "spot " << s;
    }
}

// The reduced scales on position effects: the composite's upscale puts every
// pixel where it belongs, and the caption row stays at full resolution.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "graphics/atlas.h"
#include "graphics/device.h"
#include "tests/graphics/gpu_harness.h"

namespace {
constexpr int left = 576; // the column in a 1920-wide back buffer
// Red 4 levels a pixel across, green 4 a pixel upward, each repeating every
// 256 pixels: at 1/2 and 1/4 the block middles fall on whole levels, and so
// does every point read between them, so a read put right is exact.
constexpr int ramp_entry = 5;
const char* const ramp = "void ya(out float4 o, float2 h) { o = float4(fmod(h, 256) * 4 / 1023, 0, 1); }\n";

// Built after start-up, as the show's --adaptive builds them.
class Upscale : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        start_gpu(1920);
        build_preview_scales_later(8);
        compile_position_effects(ramp_entry, ramp);
        while (build_next_preview_scales()) {
            for (int slot = 0; slot < shader_slots; ++slot)
                for (int k = 0; k < 3; ++k)
                    ready[k][built] += preview_scale_ready(slot, 2 << k);
            ++built;
        }
    }
    void SetUp() override
    {
        upload_atlas(std::vector<unsigned char>(size_t(atlas_width) * atlas_height).data());
        set_plain_constants();
    }
    void TearDown() override { set_preview_scale(1); }

    static int ready[3][3 * shader_slots]; // slots ready at 1/2, 1/4 and 1/8 after each pipeline built
    static int built;
};
int Upscale::ready[3][3 * shader_slots], Upscale::built = 0;
}

TEST_F(Upscale, EverySlotGetsItsScalesAfterStartUpCoarsestFirst)
{
    ASSERT_EQ(built, 3 * shader_slots);
    // One slot more at a time: all of them at 1/8, then at 1/4, then at 1/2.
    for (int step = 0; step < built; ++step)
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(ready[k][step], std::clamp(step + 1 - (2 - k) * shader_slots, 0, shader_slots))
                << "1/" << (2 << k) << " after " << step + 1;
    for (int scale : {2, 4, 8})
        for (int slot = 0; slot < shader_slots; ++slot)
            EXPECT_TRUE(preview_scale_ready(slot, scale)) << slot;
}

TEST_F(Upscale, ARampComesBackWhereItWas)
{
    // Linear between the block middles, so read between them it comes back
    // exactly; a read half a pixel off is 2 levels off, a nearest read up to 6.
    auto ramp_at = [](int p) { return p % 256 >= 8 && p % 256 < 248 ? 4 * (p % 256) : -1; };
    for (int scale : {1, 2, 4, 8}) {
        set_preview_scale(scale);
        draw_at(5.0f);
        int wrong = 0;
        for (int y = 8; y < 960; ++y)
            for (int x = 0; x < column_width; ++x) {
                const pixel p = back_buffer_at(left + x, y);
                const int red = ramp_at(x), green = ramp_at(frame_height - y);
                wrong += (red >= 0 && p.r != red) || (green >= 0 && p.g != green);
            }
        EXPECT_EQ(wrong, 0) << "1/" << scale;
        // The left edge repeats the first block's middle rather than reading outside.
        EXPECT_EQ(back_buffer_at(left, 500).r, 4 * (scale - 1) / 2) << "1/" << scale;
    }
}

TEST_F(Upscale, TheCaptionRowKeepsFullResolution)
{
    // A white atlas makes the whole caption row, rows 976 to 1069, white; its
    // edges do not fall on the blocks' edges at 1/4.
    upload_atlas(std::vector<unsigned char>(size_t(atlas_width) * atlas_height, 255).data());
    for (int scale : {1, 2, 4, 8}) {
        set_preview_scale(scale);
        draw_at(5.0f);
        for (int y = 970; y < 1076; ++y) {
            const bool caption = y >= 976 && y <= 1069;
            const pixel p = back_buffer_at(left + 300, y);
            EXPECT_EQ(p.r == 1023 && p.g == 1023 && p.b == 1023, caption) << "1/" << scale << " row " << y;
        }
    }
}

TEST_F(Upscale, GammaAndGainFallOnThePictureAndTheCaptionRowAlike)
{
    // Where the reduced read is exact (the ramp's straight parts) a reduced
    // frame is the exact one, gamma and gain included; a white caption row is
    // the gain's grey at every scale.
    upload_atlas(std::vector<unsigned char>(size_t(atlas_width) * atlas_height, 255).data());
    track_at(test_feed, slot_gamma) = 2;
    track_at(test_feed, slot_gain) = 0.5f;
    draw_at(5.0f);
    std::vector<pixel> exact;
    for (int y = 0; y < frame_height; ++y)
        exact.push_back(back_buffer_at(left + 100, y));
    for (int scale : {2, 4, 8}) {
        set_preview_scale(scale);
        draw_at(5.0f);
        int wrong = 0;
        for (int y = 8; y < 960; ++y) {
            const pixel p = back_buffer_at(left + 100, y);
            wrong += (frame_height - y) % 256 >= 8 && (frame_height - y) % 256 < 248 &&
                     (std::abs(p.r - exact[y].r) > 1 || std::abs(p.g - exact[y].g) > 1);
        }
        EXPECT_EQ(wrong, 0) << "1/" << scale;
        for (int y = 976; y <= 1069; ++y)
            EXPECT_NEAR(back_buffer_at(left + 300, y).r, 512, 1) << "1/" << scale << " row " << y;
    }
}

TEST_F(Upscale, TheBlurAtAReducedScaleStaysCloseToTheExactOne)
{
    // The reduced blur reads each tap's block rather than its pixel, so it is
    // near the exact blur, not equal to it; a tap read from the wrong place
    // would be hundreds of levels off.
    track_at(test_feed, slot_blur) = 0.3f;
    draw_at(5.0f);
    std::vector<pixel> exact;
    for (int y = 0; y < frame_height; y += 4)
        for (int x = 0; x < column_width; x += 4)
            exact.push_back(back_buffer_at(left + x, y));
    for (int scale : {2, 4, 8}) {
        set_preview_scale(scale);
        draw_at(5.0f);
        double off = 0;
        size_t i = 0;
        for (int y = 0; y < frame_height; y += 4)
            for (int x = 0; x < column_width; x += 4, ++i) {
                const pixel p = back_buffer_at(left + x, y);
                off += std::abs(p.r - exact[i].r) + std::abs(p.g - exact[i].g);
            }
        const double mean = off / (2.0 * double(exact.size()));
        EXPECT_LT(mean, 10) << "1/" << scale;
    }
}

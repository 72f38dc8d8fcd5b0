#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "driver/feed.h"
#include "graphics/atlas.h"
#include "graphics/device.h"
#include "tests/graphics/gpu_harness.h"

namespace {
constexpr int noise_entry = 7; // draws two noise texels instead of positions

// Texel (x, y, 0) with y > 0 and, if there is one, a byte of -128, so the
// clamp of the signed conversion shows. Texel (x, 0, y) must equal it.
int noise_x = 0, noise_y = 1;
// Its bytes as the volume was made from them: a frame writes the frame
// constants at the head of the block afterwards.
signed char noise_bytes[3];
std::string noise_probe()
{
    for (int y = 1; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            for (int channel = 0; channel < 3; ++channel)
                if (randdata.bytes[4 * x + 64 * y + channel] == 0x80) {
                    noise_x = x, noise_y = y;
                    y = x = 64;
                    break;
                }
    for (int channel = 0; channel < 3; ++channel)
        noise_bytes[channel] = static_cast<signed char>(randdata.bytes[4 * noise_x + 64 * noise_y + channel]);
    const std::string x = std::to_string(noise_x), y = std::to_string(noise_y);
    return "static const float3 first = (float3(" + x + ", " + y + ", 0) + 0.5) / 64;\n"
           "static const float3 second = (float3(" + x + ", 0, " + y + ") + 0.5) / 64;\n"
           "void ya(out float4 o, float2 h) { o = zs(h.x < 384 ? first : second) + 0.5; }\n";
}

// What column pixel (x, y) shows: the entry and the position it was given.
struct seen {
    int entry, x, y;
    bool operator==(const seen&) const = default;
};
std::ostream& operator<<(std::ostream& o, const seen& s)
{
    return o << "entry " << s.entry << " at (" << s.x << ", " << s.y << ")";
}
seen at(int x, int y)
{
    const pixel p = back_buffer_at(576 + x, y);
    return {p.b / 2, p.r, p.g + 1024 * (p.b & 1)};
}

// A 1920-wide back buffer, so the column starts at 576.
class Kernels : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        start_gpu(1920);
        compile_position_effects(noise_entry, noise_probe());
    }

    void SetUp() override
    {
        upload_atlas(std::vector<unsigned char>(size_t(atlas_width) * atlas_height).data());
        set_plain_constants();
    }
};

TEST_F(Kernels, AWholeFeedPositionFillsTheColumnWithOneEntry)
{
    draw_at(5.0f);
    for (int y = 0; y < frame_height; ++y)
        for (int x = 0; x < column_width; ++x)
            ASSERT_EQ(at(x, y), (seen{5, x, frame_height - y})) << "pixel " << x << ", " << y;
}

TEST_F(Kernels, HalfWayTheScrollSplitsTheColumnAtTheSeamRow)
{
    draw_at(5.5f);
    for (int y = 0; y < frame_height; ++y)
        for (int x = 0; x < column_width; x += 7) {
            // Row 540 is drawn by both passes; the next entry's comes later.
            const seen expected = y < 540 ? seen{5, x, 540 - y} : seen{6, x, 1620 - y};
            ASSERT_EQ(at(x, y), expected) << "pixel " << x << ", " << y;
        }
}

TEST_F(Kernels, ZoomTwoShowsTwiceTheAreaAboutTheCentre)
{
    track_at(test_feed, slot_odd_zoom) = 2; // entry 5 has an odd number
    draw_at(5.0f);
    for (int y = 0; y < frame_height; y += 3)
        for (int x = 192; x < 576; x += 5) {
            const int px = 2 * x - 384, py = 2 * (frame_height - y) - 540;
            if (py >= 0 && py < 2048) {
                ASSERT_EQ(at(x, y), (seen{5, px, py})) << "pixel " << x << ", " << y;
            }
        }
}

TEST_F(Kernels, TheCompositeFillsOnlyTheCentredColumn)
{
    draw_at(5.0f);
    for (int y = 0; y < frame_height; y += 13) {
        EXPECT_EQ(at(767, y).x, 767);
        for (int x : {0, 575, 1344, 1919}) {
            const pixel p = back_buffer_at(x, y);
            EXPECT_EQ(p.r + p.g + p.b, 0) << "pixel " << x << ", " << y;
        }
    }
}

TEST_F(Kernels, GammaAndGainApplyToTheCopy)
{
    track_at(test_feed, slot_gamma) = 2;
    draw_at(5.0f);
    for (int x = 0; x < column_width; x += 11) {
        const double v = x / 1023.0;
        EXPECT_NEAR(back_buffer_at(576 + x, 300).r, v * v * 1023, 0.51 + 1) << x;
    }

    track_at(test_feed, slot_gamma) = 1;
    track_at(test_feed, slot_gain) = 0;
    draw_at(5.0f);
    for (int y = 0; y < frame_height; y += 5)
        for (int x = 0; x < column_width; x += 5) {
            const pixel p = back_buffer_at(576 + x, y);
            ASSERT_EQ(p.r + p.g + p.b, 0) << "pixel " << x << ", " << y;
        }
}

TEST_F(Kernels, TheCaptionBandCoversRowsElevenToOneHundredAndFour)
{
    upload_atlas(std::vector<unsigned char>(size_t(atlas_width) * atlas_height, 255).data());
    draw_at(5.0f);
    for (int y = 0; y < frame_height; ++y) {
        const int h = frame_height - y;
        const bool band = h > 10 && h < 105;
        for (int x = 0; x < column_width; x += 9) {
            if (band)
                ASSERT_EQ(back_buffer_at(576 + x, y).r, 1023) << "pixel " << x << ", " << y;
            else
                ASSERT_EQ(at(x, y), (seen{5, x, h})) << "pixel " << x << ", " << y;
        }
    }
}

TEST_F(Kernels, EachEntryShowsItsOwnCaptionRow)
{
    // Caption row k is grey level 6 (k + 1) all through.
    std::vector<unsigned char> atlas(size_t(atlas_width) * atlas_height);
    for (int row = 0; row < 38 * 92; ++row)
        std::memset(&atlas[size_t(row) * atlas_width], 6 * (row / 92 + 1), atlas_width);
    upload_atlas(atlas.data());

    // Row 60 of an entry samples the middle of its caption row. The current
    // entry reads row trunc(position), the next one trunc(position + 0.2).
    const struct {
        float position;
        int y, caption_row;
    } probes[] = {{5.5f, 540 - 60, 5}, {5.96875f, 1080 + 1080 - 1046 - 60, 6}};
    for (const auto& p : probes) {
        draw_at(p.position);
        const double a = 6 * (p.caption_row + 1) / 255.0;
        for (int x = 0; x < column_width; x += 50) {
            const double under = x / 1023.0; // red of the position effect
            EXPECT_NEAR(back_buffer_at(576 + x, p.y).r, (under + (1 - under) * a) * 1023, 1.5)
                << "position " << p.position << ", pixel " << x;
        }
    }
}

TEST_F(Kernels, NoiseTexelsRepeatAlongYPlusZAndReadAsSignedBytes)
{
    draw_at(float(noise_entry));
    const pixel first = back_buffer_at(576 + 100, 500), second = back_buffer_at(576 + 600, 500);
    const int expected[3] = {first.r, first.g, first.b}, got[3] = {second.r, second.g, second.b};
    for (int channel = 0; channel < 3; ++channel) {
        EXPECT_EQ(got[channel], expected[channel]);
        const int byte = noise_bytes[channel];
        const double value = std::max(byte / 127.0, -1.0) * 0.5 + 0.5;
        EXPECT_NEAR(expected[channel], value * 1023, 1) << "channel " << channel << ", byte " << byte;
    }
}
}

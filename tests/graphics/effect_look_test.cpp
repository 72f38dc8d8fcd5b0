// Effects made cheaper keep their look: each built-in text against its text
// from before (tests/fixtures/effects_before/, one file per effect changed),
// at five rows spread over the entry's longest stay, each posed as the
// contact sheet poses it. Over the column the two frames differ by at most 2
// levels of 255 on average, with at most 1 % of the pixels off by more than
// 16 levels in a channel. The figures of every row are printed.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "graphics/authoring.h"
#include "graphics/device.h"
#include "graphics/shader_sources.h"
#include "tests/fixtures/pictures.h"
#include "tools/capture/capture_image.h"
#include "tools/common/shader_dir.h"
#include "tools/stepped/stepped_show.h"

namespace {
constexpr double most_mean = 2, most_share = 0.01;
constexpr int level = 16, rows_drawn = 5;
const std::string before_dir = SWIPEMIX_FIXTURES "/effects_before";

// The entries drawn by a text kept from before, shared texts included.
std::vector<int> changed_entries()
{
    std::vector<int> entries;
    for (int e = 0; e < entry_count; ++e)
        if (FILE* f = std::fopen((before_dir + "/" + source_files[entry_slot(e)]).c_str(), "r")) {
            std::fclose(f);
            entries.push_back(e);
        }
    return entries;
}

struct EffectLook : ::testing::TestWithParam<int> {
    static inline double middles[entry_count], lengths[entry_count];
    static inline const char* const* before = nullptr;

    static void SetUpTestSuite()
    {
        set_back_buffer_width(column_width);
        ASSERT_TRUE(start_renderer(nullptr));
        find_longest_stays(frame_rate{}, middles, lengths);
        std::string problems;
        before = load_shader_dir(before_dir.c_str(), problems);
        ASSERT_EQ(problems, "");
    }
};

rgb_image drawn(int e, double rows)
{
    draw_entry_as_shown(e, rows);
    rgb_image frame;
    grab(frame, 0, column_width);
    return frame;
}

TEST_P(EffectLook, KeepsItsLookOverItsStay)
{
    const int e = GetParam(), slot = entry_slot(e);
    ASSERT_TRUE(before);
    std::string report;
    gpu_shader* old = compile_slot(slot, before, report);
    ASSERT_TRUE(old) << report;
    for (int k = 0; k < rows_drawn; ++k) {
        const double rows = middles[e] + lengths[e] * ((k + 0.5) / rows_drawn - 0.5);
        const rgb_image now = drawn(e, rows);
        old = exchange_shader(slot, old);
        const rgb_image then = drawn(e, rows);
        old = exchange_shader(slot, old);
        const picture_distance d = measure_distance(now.rgb.data(), then.rgb.data(), now.rgb.size() / 3, level);
        std::printf("entry %2d row %7.2f: mean %.3f, off by more than %d: %.5f, largest %d\n", e, rows, d.mean, level,
                    d.share, d.largest);
        EXPECT_LE(d.mean, most_mean) << "entry " << e << " at row " << rows;
        EXPECT_LE(d.share, most_share) << "entry " << e << " at row " << rows;
    }
    retire_shader(old);
}

INSTANTIATE_TEST_SUITE_P(Changed, EffectLook, ::testing::ValuesIn(changed_entries()),
                         [](const ::testing::TestParamInfo<int>& entry) { return "Entry" + std::to_string(entry.param); });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(EffectLook);
}

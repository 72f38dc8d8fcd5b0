// Every built-in effect, drawn alone in the column as the show would at one of
// its rows: repeatable, not flat, moving with its clock, and shared texts alike.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "driver/feed.h"
#include "graphics/authoring.h"
#include "tests/graphics/gpu_harness.h"
#include "timeline/sync.h"

namespace {
using frame = std::vector<unsigned>;

struct Effects : ::testing::Test {
    static void SetUpTestSuite()
    {
        start_gpu(column_width);
        compile_shaders(nullptr);
    }
};

// The first row at which the timeline's target rests on entry e, so that the
// scene parameters and cameras are the ones the show gives it.
float row_showing(int e)
{
    float out[sync_track_count];
    for (float row = 0; row < 1700; row += 1) {
        syncget(row, out);
        if (out[0] == float(e))
            return row;
    }
    return 0;
}

// Entry e at `clock`, with the sync values of `row` (by default one showing it).
frame draw_entry(int e, float clock, float row = -1)
{
    syncgetc(row < 0 ? row_showing(e) : row, test_feed.tracks);
    set_plain_constants();
    test_feed.time = test_feed.previous_time = clock;
    draw_at(float(e));
    const unsigned* pixels = presented_pixels();
    return frame(pixels, pixels + size_t(W) * frame_height);
}

bool is_static(int e) { return e == 33 || e == 36; }
}

TEST_F(Effects, EachEntryIsRepeatableDetailedAndMoving)
{
    for (int e = 0; e < entry_count; ++e) {
        ASSERT_TRUE(shader_slot_filled(e + 1)) << "entry " << e << " did not compile";
        const frame first = draw_entry(e, 3.0f);
        EXPECT_EQ(first, draw_entry(e, 3.0f)) << "entry " << e << " is not repeatable";
        const std::set<unsigned> colours(first.begin(), first.end());
        EXPECT_GE(colours.size(), 2u) << "entry " << e << " is flat"; // entry 8 is black and white
        const frame later = draw_entry(e, 3.5f);
        if (is_static(e))
            EXPECT_EQ(first, later) << "entry " << e << " should not depend on time";
        else
            EXPECT_NE(first, later) << "entry " << e << " does not move";
    }
}

TEST_F(Effects, NegativeClocksStillDraw)
{
    for (int e = 0; e < entry_count; ++e) {
        const frame f = draw_entry(e, -7.25f);
        const std::set<unsigned> colours(f.begin(), f.end());
        EXPECT_GE(colours.size(), 2u) << "entry " << e << " at a negative clock";
    }
}

TEST_F(Effects, SharedTextsDrawTheSamePicture)
{
    EXPECT_EQ(draw_entry(11, 20.0f), draw_entry(21, 20.0f));
    // Same scene parameters for all three: those of entry 22's first row.
    const float row = row_showing(22);
    const frame f22 = draw_entry(22, 9.0f, row);
    EXPECT_EQ(f22, draw_entry(30, 9.0f, row));
    EXPECT_EQ(f22, draw_entry(34, 9.0f, row));
}

// The evaluator on small hand-made tables and on the fixture timeline.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/fixtures/fixture_timeline.h"
#include "timeline/sync.h"

namespace {
// Four one-segment tracks from 0 at row 0 to 64 at row 8, one per mode, at
// scale 1, then a track of scale byte 4 and one of 11 holding a single key.
uint8_t rows[sync_row_slots] = {8};
const uint8_t keys[] = {1, 255, 1, 255, 1, 255, 1, 255, 255, 255};
const uint8_t modes[] = {0, 0, 1, 0, 2, 0, 3, 0, 0, 0};
const int16_t values[] = {0, 64, 0, 64, 0, 64, 0, 64, 64, 3};
const uint8_t scales[] = {10, 10, 10, 10, 4, 11};

struct TablesSwap : ::testing::Test {
    const sync_tables small = {rows, keys, modes, values, scales, 10};
    sync_scratch scratch;
    void syncget(float t, float* out) { sync_evaluate(small, scratch, t, out); }
};
}

TEST_F(TablesSwap, ModesHalfwayAndScales)
{
    float out[6] = {};
    syncget(4, out);
    EXPECT_FLOAT_EQ(out[0], 0) << "step holds";
    EXPECT_FLOAT_EQ(out[1], 32) << "linear";
    EXPECT_FLOAT_EQ(out[2], 32) << "smooth";
    EXPECT_FLOAT_EQ(out[3], 16) << "ramp";
    EXPECT_FLOAT_EQ(out[4], 1.0f) << "scale byte 4 is 1/64";
    EXPECT_FLOAT_EQ(out[5], 6.0f) << "scale byte 11 is 2";

    syncget(2, out);
    EXPECT_FLOAT_EQ(out[1], 16);
    EXPECT_FLOAT_EQ(out[2], 64 * (0.0625f * 2.5f));
    EXPECT_FLOAT_EQ(out[3], 4);
}

TEST_F(TablesSwap, ExactKeyRowsAndBeyondTheLastKey)
{
    float out[6] = {};
    for (float t : {0.0f, 8.0f}) {
        syncget(t, out);
        for (int s = 0; s < 4; ++s)
            EXPECT_FLOAT_EQ(out[s], t == 0 ? 0 : 64) << "mode " << s << " at row " << t;
    }
    syncget(1e6f, out);
    for (int s = 0; s < 4; ++s)
        EXPECT_FLOAT_EQ(out[s], 64);
}

TEST_F(TablesSwap, BeforeRowZeroKeepsWhatWasThere)
{
    float out[6] = {7, 7, 7, 7, 7, 7};
    syncget(-0.5f, out);
    for (float v : out)
        EXPECT_EQ(v, 7);
}

TEST(SyncEvaluator, ResultsAreRoundedOnlyWhenStored)
{
    // Row 1.5 of the fixture's fade-in: ramp from 0 at row 0 to 1 at row 5.
    float out[sync_track_count] = {};
    sync_scratch scratch;
    sync_evaluate(fixture_timeline().view(), scratch, 1.5f, out);
    EXPECT_EQ(out[14], float(double(float(0.3 * 0.3))));
}

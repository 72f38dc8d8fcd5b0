// Feed easing, track choice and pass planning against the fixture timeline, and the show's
// own timeline kept within its entries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "driver/authoring.h"
#include "driver/feed.h"
#include "graphics/noise.h"
#include "shared/state.h"
#include "tests/fixtures/fixture_timeline.h"

namespace {
char present;
gpu_shader* const filled = reinterpret_cast<gpu_shader*>(&present);

struct Feed : ::testing::Test {
    void SetUp() override
    {
        std::memset(&randdata, 0, sizeof randdata);
        for (gpu_shader*& s : shader_table)
            s = filled;
        W = column_width;
        play_timeline(fixture_timeline().view());
    }
    void TearDown() override { play_timeline(show_sync); }
    float& position() { return frame_constants[slot_feed_position]; }
    static int update(double now) { return update_feed(now); }
    // Plans with the position placed directly.
    void plan_at(float p, pass_descriptor out[pass_count])
    {
        position() = p;
        plan_passes(out);
    }
};
}

TEST_F(Feed, FirstFrameTakesTheTargetEvenFromNoise)
{
    guid[0] = 0x6F15AAF2u, guid[1] = 0x4E89D208u, guid[2] = 0x9548B49Au;
    fillrand();
    position() = 0;
    EXPECT_EQ(update(0.01), 0);
    EXPECT_FLOAT_EQ(frame_constants[slot_previous_time], -5690685.5f);
    EXPECT_EQ(position(), 0.0f);
}

TEST_F(Feed, DownwardTargetsSnapUpwardOnesEase)
{
    update(100); // held at entry 5 since row 99
    ASSERT_EQ(position(), 5.0f);

    // 0.5 below: taken at once, whatever the elapsed time.
    position() = 5.5f;
    update(100);
    EXPECT_EQ(position(), 5.0f);

    // 0.5 above: one frame of 1/60 s at rate 6 moves a tenth of the way.
    position() = 4.5f;
    frame_constants[slot_time] = float(100 * row_seconds - 1.0 / 60);
    const int track = update(100);
    EXPECT_NEAR(position(), 4.5 + 0.05, 1e-5);
    EXPECT_EQ(track, 5);

    // No elapsed time: no movement.
    const float held = position();
    update(100);
    EXPECT_EQ(position(), held);
}

TEST_F(Feed, TrackIndexRoundsHalfUpFromTheUnroundedPosition)
{
    // Row 64: the hesitant swipe falls back to 3.5 and the snap hands the
    // target straight to the track choice.
    position() = 9;
    EXPECT_EQ(update(64), 4);

    // Row 100 holds entry 5 above the position; with no elapsed time the
    // position stays where it is and only rounding decides.
    for (auto [p, track] : {std::pair{2.5f, 3}, {2.4999f, 2}}) {
        frame_constants[slot_time] = float(100 * row_seconds);
        position() = p;
        EXPECT_EQ(update(100), track) << p;
    }
}

TEST_F(Feed, PassesFollowThePositionAndWalkPastEmptySlots)
{
    pass_descriptor passes[pass_count];
    frame_constants[slot_even_zoom] = 2, frame_constants[slot_even_offset] = -3;
    frame_constants[slot_odd_zoom] = 4, frame_constants[slot_odd_offset] = 5;

    plan_at(3.0f, passes);
    EXPECT_EQ(passes[0].shader_slot, 4);
    EXPECT_EQ(passes[1].shader_slot, 5);
    EXPECT_EQ(passes[0].pass_value, 0.0f);
    EXPECT_EQ(passes[1].pass_value, 1.0f);
    EXPECT_EQ(passes[0].zoom, 4) << "slot 4 draws entry 3, odd";
    EXPECT_EQ(passes[0].time_offset, 5);
    EXPECT_EQ(passes[1].zoom, 2) << "slot 5 draws entry 4, even";
    EXPECT_EQ(passes[1].time_offset, -3);

    plan_at(36.0f, passes);
    EXPECT_EQ(passes[0].shader_slot, 37);
    EXPECT_EQ(passes[1].shader_slot, 37) << "slot 38 does not exist";

    plan_at(-0.7f, passes);
    EXPECT_EQ(passes[0].shader_slot, 1);

    shader_table[6] = shader_table[5] = nullptr;
    plan_at(5.5f, passes);
    EXPECT_EQ(passes[0].shader_slot, 4);
    EXPECT_EQ(passes[0].zoom, 4) << "zoom follows the slot found";
    EXPECT_EQ(passes[1].shader_slot, 7);

    for (gpu_shader*& s : shader_table)
        s = nullptr;
    plan_at(3.0f, passes);
    EXPECT_EQ(passes[0].shader_slot, -1) << "nothing to run at all";
    EXPECT_EQ(passes[2].shader_slot, -1);
}

TEST_F(Feed, CompositeOffsetCentresTheColumn)
{
    pass_descriptor passes[pass_count];
    for (auto [width, offset] : {std::pair{1920, 576}, {1351, 291}, {768, 0}, {607, -80}}) {
        W = width;
        plan_passes(passes);
        EXPECT_EQ(passes[2].shader_slot, 0);
        EXPECT_EQ(passes[2].pass_value, float(offset)) << "W = " << width;
    }
}

TEST_F(Feed, WholeTimelineScrollsThroughEveryEntryAndEndsOnTheLast)
{
    position() = 0;
    int last = 0, highest = 0;
    for (int frame = 0; frame <= show_end_row * 60 / rows_per_second; ++frame) {
        last = update(frame * double(rows_per_second) / 60);
        ASSERT_GE(last, 0);
        ASSERT_LE(last, 36);
        highest = std::max(highest, last);
    }
    EXPECT_EQ(highest, 36);
    EXPECT_EQ(last, 36);
    EXPECT_EQ(position(), 36.0f);
}

TEST_F(Feed, SyncgetAndTheFeedEvaluateTheTimelinePlaying)
{
    using values = std::vector<float>;
    values fixture(sync_track_count), show(sync_track_count), out(sync_track_count);
    sync_scratch scratch;
    sync_evaluate(fixture_timeline().view(), scratch, 100, fixture.data());
    sync_evaluate(show_sync, scratch, 100, show.data());
    ASSERT_NE(fixture, show) << "row 100 must tell the two timelines apart";

    syncget(100, out.data());
    EXPECT_EQ(out, fixture);
    update(100);
    EXPECT_EQ(values(frame_constants + slot_tracks, frame_constants + slot_tracks + sync_track_count), fixture);

    play_timeline(show_sync);
    syncgetc(100, out.data());
    EXPECT_EQ(out, show);
    update(100);
    EXPECT_EQ(values(frame_constants + slot_tracks, frame_constants + slot_tracks + sync_track_count), show);
}

TEST_F(Feed, APeekGivesTheStepsTrackAndLeavesTheFeedWhereItStood)
{
    position() = 0;
    for (int frame = 0; frame <= 60 * 60 / rows_per_second; ++frame)
        update(frame * double(rows_per_second) / 60); // into the hesitant swipe at row 60
    const std::vector<float> before(frame_constants, frame_constants + slot_feed_end);
    float reached = -1;
    const int track = peek_feed(64, reached);
    ASSERT_NE(reached, before[slot_feed_position]) << "the step moves the feed";
    EXPECT_EQ(std::vector<float>(frame_constants, frame_constants + before.size()), before);
    EXPECT_EQ(update(64), track);
    EXPECT_EQ(position(), reached);
}

// The music heard restarts at the row of the frame that switched to it, a
// return to an earlier track included; a peek leaves it be.
TEST_F(Feed, FollowsTheTrackHeardFromTheFrameThatChoseIt)
{
    start_feed();
    int heard = 0, switches = 0;
    double since = 0;
    for (int frame = 0; frame < 100 * 60 / rows_per_second; ++frame) {
        const double row = frame * double(rows_per_second) / 60;
        const int track = update(row);
        if (track != heard)
            heard = track, since = row, ++switches;
        ASSERT_EQ(frame_constants[slot_heard_track], float(heard)) << row;
        ASSERT_EQ(frame_constants[slot_heard_since], float(since)) << row;
        float reached;
        peek_feed(row + 30, reached);
        ASSERT_EQ(frame_constants[slot_heard_since], float(since)) << "a peek at " << row + 30;
    }
    EXPECT_GE(switches, 5) << "the fixture goes 0, 1, 2, 3, 4, back to 3, 4 and 5";
    start_feed();
    EXPECT_EQ(frame_constants[slot_heard_track] + frame_constants[slot_heard_since], 0.0f);
}

// Any show: whatever the author keys, the feed plays only entries that exist.
TEST_F(Feed, TheShowsTargetStaysWithinItsEntries)
{
    play_timeline(show_sync);
    position() = 0;
    float lowest = 0, highest = 0;
    for (int frame = 0; frame <= show_end_row * 60 / rows_per_second; ++frame) {
        const int track = update_feed(frame * double(rows_per_second) / 60);
        ASSERT_GE(track, 0) << "frame " << frame;
        ASSERT_LE(track, entry_count - 1) << "frame " << frame;
        lowest = std::min(lowest, frame_constants[slot_target]);
        highest = std::max(highest, frame_constants[slot_target]);
    }
    EXPECT_GE(lowest, 0);
    EXPECT_LE(highest, entry_count - 1);
}

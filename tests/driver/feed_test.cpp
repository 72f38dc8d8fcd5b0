// Feed easing, track choice and pass planning against the fixture timeline, and the show's
// own timeline kept within its entries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "driver/authoring.h"
#include "driver/feed.h"
#include "graphics/noise.h"
#include "shared/state.h"
#include "tests/fixtures/fixture_timeline.h"

namespace {
struct Feed : ::testing::Test {
    feed_state feed = {};
    filled_slots filled = {};
    int width = column_width;
    void SetUp() override
    {
        std::fill(std::begin(filled.slot), std::end(filled.slot), true);
        play_timeline(fixture_timeline().view());
    }
    void TearDown() override { play_timeline(show_sync); }
    float& position() { return feed.position; }
    int update(double now) { return update_feed(feed, now); }
    // Plans with the position placed directly.
    void plan_at(float p, pass_descriptor out[pass_count])
    {
        position() = p;
        plan_passes(feed, filled, width, out);
    }
};
}

TEST_F(Feed, FirstFrameTakesTheTargetEvenFromNoise)
{
    guid[0] = 0x6F15AAF2u, guid[1] = 0x4E89D208u, guid[2] = 0x9548B49Au;
    fillrand();
    feed = start_feed();
    EXPECT_EQ(position(), 0.0f);
    EXPECT_EQ(feed.time, -5690685.5f) << "start-up's noise";
    EXPECT_EQ(update(0.01), 0);
    EXPECT_FLOAT_EQ(feed.previous_time, -5690685.5f);
    EXPECT_EQ(position(), 0.0f);
}

TEST_F(Feed, AStepReadsOnlyTheFeedAndTheTablesItIsGiven)
{
    fillrand();
    // Compared as bytes: the noise holds NaNs.
    const std::vector<float> constants(frame_constants, frame_constants + slot_tracks + sync_track_count);
    feed_state a = {}, b = {};
    sync_scratch scratch;
    const int track = step_feed(a, 100, fixture_timeline().view(), scratch);
    EXPECT_EQ(std::memcmp(frame_constants, constants.data(), constants.size() * sizeof(float)), 0)
        << "the feed reaches frame_constants only at the upload";
    EXPECT_EQ(update_feed(b, 100), track) << "update_feed steps over the timeline playing";
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
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
    feed.time = float(100 * row_seconds - 1.0 / 60);
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
        feed.time = float(100 * row_seconds);
        position() = p;
        EXPECT_EQ(update(100), track) << p;
    }
}

TEST_F(Feed, PassesFollowThePositionAndWalkPastEmptySlots)
{
    pass_descriptor passes[pass_count];
    track_at(feed, slot_even_zoom) = 2, track_at(feed, slot_even_offset) = -3;
    track_at(feed, slot_odd_zoom) = 4, track_at(feed, slot_odd_offset) = 5;

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

    filled.slot[6] = filled.slot[5] = false;
    plan_at(5.5f, passes);
    EXPECT_EQ(passes[0].shader_slot, 4);
    EXPECT_EQ(passes[0].zoom, 4) << "zoom follows the slot found";
    EXPECT_EQ(passes[1].shader_slot, 7);

    filled = {};
    plan_at(3.0f, passes);
    EXPECT_EQ(passes[0].shader_slot, -1) << "nothing to run at all";
    EXPECT_EQ(passes[2].shader_slot, -1);
}

TEST_F(Feed, CompositeOffsetCentresTheColumn)
{
    pass_descriptor passes[pass_count];
    for (auto [width, offset] : {std::pair{1920, 576}, {1351, 291}, {768, 0}, {607, -80}}) {
        plan_passes(feed, filled, width, passes);
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
    EXPECT_EQ(values(feed.tracks, feed.tracks + sync_track_count), fixture);

    play_timeline(show_sync);
    syncgetc(100, out.data());
    EXPECT_EQ(out, show);
    update(100);
    EXPECT_EQ(values(feed.tracks, feed.tracks + sync_track_count), show);
}

// The music heard restarts at the row of the frame that switched to it, a
// return to an earlier track included; a copy stepped ahead leaves it be.
TEST_F(Feed, FollowsTheTrackHeardFromTheFrameThatChoseIt)
{
    feed = start_feed();
    int heard = 0, switches = 0;
    double since = 0;
    for (int frame = 0; frame < 100 * 60 / rows_per_second; ++frame) {
        const double row = frame * double(rows_per_second) / 60;
        const int track = update(row);
        if (track != heard)
            heard = track, since = row, ++switches;
        ASSERT_EQ(feed.heard.track, heard) << row;
        ASSERT_EQ(feed.heard.since, since) << row;
        feed_state ahead = feed;
        update_feed(ahead, row + 30);
        ASSERT_EQ(feed.heard.since, since) << "a copy stepped to " << row + 30;
    }
    EXPECT_GE(switches, 5) << "the fixture goes 0, 1, 2, 3, 4, back to 3, 4 and 5";
    feed = start_feed();
    EXPECT_EQ(feed.heard.track + feed.heard.since, 0.0);
}

// Any show: whatever the author keys, the feed plays only entries that exist.
TEST_F(Feed, TheShowsTargetStaysWithinItsEntries)
{
    play_timeline(show_sync);
    position() = 0;
    float lowest = 0, highest = 0;
    for (int frame = 0; frame <= show_end_row * 60 / rows_per_second; ++frame) {
        const int track = update(frame * double(rows_per_second) / 60);
        ASSERT_GE(track, 0) << "frame " << frame;
        ASSERT_LE(track, entry_count - 1) << "frame " << frame;
        lowest = std::min(lowest, track_at(feed, slot_target));
        highest = std::max(highest, track_at(feed, slot_target));
    }
    EXPECT_GE(lowest, 0);
    EXPECT_LE(highest, entry_count - 1);
}

TEST_F(Feed, NextEntryPassIsSkippedOnlyWhereItHasNoRow)
{
    // The entry kernel's first row of the next entry, as the device computes it.
    const auto rows_of_next = [](float p) { return int((p - std::floor(p)) * 1080.0f); };
    for (float whole : {0.0f, 1.0f, 17.0f, 35.0f, 36.0f, -1.0f}) {
        EXPECT_FALSE(next_entry_shows(whole)) << whole;
        float p = whole;
        for (int step = 0; step < 4000; ++step) { // the easing's last crawl toward the entry, and on
            p = std::nextafter(p, whole + 1);
            if (rows_of_next(p) > 0) {
                ASSERT_TRUE(next_entry_shows(p)) << "a row of the next entry would be lost at " << p;
            }
        }
    }
    for (float p : {0.001f, 0.5f, 12.999f, 35.9999f})
        EXPECT_TRUE(next_entry_shows(p)) << p;
}

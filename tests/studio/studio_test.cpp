// The studio's transport and seeking, without a window or a device: a jump
// must leave the feed and the music where playing would have. All on the
// fixture timeline, put in the show's place as the studio puts an edited one.
#include <gtest/gtest.h>

#include <cmath>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "driver/authoring.h"
#include "driver/feed.h"
#include "music/authoring.h"
#include "tests/fixtures/fixture_timeline.h"
#include "timeline/sync.h"
#include "tools/stepped/stepped_show.h"
#include "tools/studio/preview.h"
#include "tools/studio/restart.h"
#include "tools/studio/seek.h"
#include "tools/studio/transport.h"

namespace {
constexpr double fps = 60, step = 8 / fps;
const frame_rate rate{60, 1};

// The fixture timeline in the show's place, as the studio puts an edited one.
void play_fixture() { play_timeline(fixture_timeline().view()); }

// Seeks to frame k0's row, then plays frame by frame up to frame k1 as the
// studio's loop does, tracking the music's start row itself.
struct played {
    float position;
    int track;
    double music_seconds;
    int switches;
};
played seek_then_play(long k0, long k1)
{
    play_fixture();
    show_place place = seek_show(rate, k0 * step);
    double since = k0 * step - place.music_seconds / row_seconds;
    int switches = 0;
    for (long k = k0 + 1; k <= k1; ++k) {
        const int before = current_track;
        select_track(update_feed(place.feed, k * step));
        if (current_track != before)
            since = k * step, ++switches;
    }
    return {place.feed.position, current_track, (k1 * step - since) * row_seconds, switches};
}
}

TEST(StudioSeek, AJumpEqualsPlayingFromAnEarlierJump)
{
    // Frames 435 ... 487 are rows 58 ... 64.9, the hesitant swipe that
    // crosses to entry 4 and falls back; each end point is checked.
    bool saw_hesitation = false;
    for (long k1 = 436; k1 <= 490; ++k1) {
        const played on = seek_then_play(435, k1);
        saw_hesitation |= on.switches >= 2;
        const show_place place = seek_show(rate, k1 * step);
        EXPECT_EQ(place.feed.position, on.position) << "frame " << k1;
        EXPECT_EQ(current_track, on.track) << "frame " << k1;
        EXPECT_EQ(place.track, on.track) << "frame " << k1;
        EXPECT_NEAR(place.music_seconds, on.music_seconds, 1e-9) << "frame " << k1;
    }
    EXPECT_TRUE(saw_hesitation) << "the swipe should switch tracks and back";
}

TEST(StudioSeek, MusicRunsFromTheFrameThatSwitchedToIt)
{
    play_fixture();
    EXPECT_NEAR(seek_show(rate, 10).music_seconds, 10 * row_seconds, 1e-12) << "entry 0's music plays from row 0";
    EXPECT_EQ(current_track, 0);
    const double later = seek_show(rate, 300).music_seconds;
    EXPECT_GT(current_track, 0);
    EXPECT_LT(later, 300 * row_seconds);
    EXPECT_GE(later, 0);
}

// Every track plays the same counting sound, each 4-byte frame its own index,
// so a recorded frame tells how far into its track the music is.
TEST(StudioSeek, MusicPositionEqualsTheCapturesRecordedSoundtrack)
{
    constexpr uint32_t track_frames = 44100 * 150; // longer than any stay on one entry
    std::vector<uint32_t> counting(track_frames);
    for (uint32_t i = 0; i < track_frames; ++i)
        counting[i] = i;
    for (music_track& t : track_table)
        t = {track_frames * 4, 150.0, reinterpret_cast<unsigned char*>(counting.data())};
    use_recorder();
    play_track(track_table[0]);
    play_fixture();

    const uint32_t frame_bytes = 44100 / 60 * 4;
    std::vector<unsigned char> sound(frame_bytes);
    // The hesitant swipe frame by frame, then a spread of frames across the show.
    std::vector<long> frames;
    for (long k = 430; k <= 492; ++k)
        frames.push_back(k);
    for (long k = 600; k < 12800; k += 997)
        frames.push_back(k);
    for (long k : frames) {
        const double row = frame_row(rate, 0, k);
        const show_place place = seek_show(rate, row);
        const int seek_track = current_track;

        // As the capture records it: each frame selects its track, then takes its sound.
        restart_track_choice();
        restart_track(track_table[0], 0);
        feed_state feed = step_feed_to(rate, row, [&](double, int track) {
            select_track(track);
            pull_samples(sound.data(), frame_bytes);
        });
        select_track(update_feed(feed, row));
        pull_samples(sound.data(), frame_bytes);
        uint32_t recorded;
        std::memcpy(&recorded, sound.data(), 4);

        EXPECT_EQ(current_track, seek_track) << "frame " << k;
        EXPECT_EQ(feed.position, place.feed.position) << "frame " << k;
        EXPECT_EQ(recorded, uint32_t(std::llround(place.music_seconds * 44100))) << "frame " << k;
    }
    for (music_track& t : track_table)
        t = {};
}

// Entries 0 ... 4 settle at these rows; entry 3 is never settled on.
constexpr int settled[entry_count] = {0, 30, 45, -1, 90, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                      -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

TEST(StudioTransport, KeysMoveClampAndLoop)
{
    transport_state t = {0, false, 0, -1};
    EXPECT_FALSE(apply_key(t, studio_command::back, settled)) << "row 0 is the start";
    EXPECT_TRUE(apply_key(t, studio_command::forward_far, settled));
    EXPECT_EQ(t.row, 8);
    EXPECT_TRUE(apply_key(t, studio_command::back, settled));
    EXPECT_EQ(t.row, 7);
    apply_key(t, studio_command::pause, settled);
    EXPECT_TRUE(t.paused);

    t.row = 30;
    apply_key(t, studio_command::loop_start, settled);
    t.row += 20;
    apply_key(t, studio_command::loop_end, settled);
    t.row += 0.5;
    EXPECT_TRUE(wrap_loop(t));
    EXPECT_EQ(t.row, 30);
    apply_key(t, studio_command::loop_clear, settled);
    t.row += 100;
    EXPECT_FALSE(wrap_loop(t));
    EXPECT_TRUE(apply_key(t, studio_command::start, settled));
    EXPECT_EQ(t.row, 0);
    EXPECT_TRUE(apply_key(t, studio_command::end, settled));
    EXPECT_EQ(t.row, show_end_row);
    EXPECT_FALSE(apply_key(t, studio_command::end, settled)) << "already at the end: nothing to seek";
    t.row = show_end_row - 0.5;
    apply_key(t, studio_command::forward_far, settled);
    EXPECT_EQ(t.row, show_end_row);
}

TEST(StudioTransport, StepsLandOnWholeRowsFromAFractionalRow)
{
    const struct {
        studio_command key;
        double to;
    } steps[] = {{studio_command::back, 101}, {studio_command::forward, 102}, {studio_command::back_far, 94},
                 {studio_command::forward_far, 109}};
    for (const auto& s : steps) {
        transport_state t = {101.81, true, 0, -1};
        EXPECT_TRUE(apply_key(t, s.key, settled));
        EXPECT_EQ(t.row, s.to) << "key " << int(s.key);
    }
}

TEST(StudioTransport, EntryKeysLandWhereTheFeedSettles)
{
    const struct {
        double from;
        studio_command key;
        double to;
    } steps[] = {
        {0, studio_command::next_entry, 30},      {30, studio_command::next_entry, 45},
        {29.5, studio_command::next_entry, 30},   {45, studio_command::next_entry, 90}, // entry 3 is skipped
        {60, studio_command::previous_entry, 30}, // inside entry 2: the entry before it
        {45, studio_command::previous_entry, 30}, {44, studio_command::previous_entry, 0},
        {30, studio_command::previous_entry, 0},  {0, studio_command::previous_entry, 0},
        {95, studio_command::next_entry, show_end_row}, {500, studio_command::previous_entry, 45},
    };
    for (const auto& s : steps) {
        transport_state t = {s.from, true, 0, -1};
        apply_key(t, s.key, settled);
        EXPECT_EQ(t.row, s.to) << "from row " << s.from << (s.key == studio_command::next_entry ? " down" : " up");
    }
}

TEST(StudioTransport, TheStripMapsItsWidthToWholeRows)
{
    const strip_view whole;
    EXPECT_EQ(strip_row(whole, 0), 0);
    EXPECT_EQ(strip_row(whole, -0.2), 0);
    EXPECT_EQ(strip_row(whole, 1), show_end_row);
    EXPECT_EQ(strip_row(whole, 1.5), show_end_row);
    EXPECT_EQ(strip_row(whole, 0.5), 856);
    EXPECT_EQ(strip_row(whole, 100.4 / show_end_row), 100);
    const strip_view zoomed_in = {400, 24};
    EXPECT_EQ(strip_row(zoomed_in, 0), 400);
    EXPECT_EQ(strip_row(zoomed_in, 0.5), 412);
    EXPECT_EQ(strip_row(zoomed_in, 0.52), 412) << "the nearest whole row";
    EXPECT_EQ(strip_row(zoomed_in, 0.99), 424);
}

TEST(StudioPreview, PlayingDrawsEveryFrameAStopDrawsQuickThenExactThenRests)
{
    preview_state p;
    p.mode = 4;
    EXPECT_EQ(scale_to_draw(p, false, false), 4);
    EXPECT_EQ(scale_to_draw(p, false, false), 4) << "playing draws every frame";
    EXPECT_EQ(scale_to_draw(p, true, true), 4) << "the stop: the quick frame first";
    EXPECT_EQ(scale_to_draw(p, true, true), 4) << "a step before the exact frame: quick again";
    EXPECT_EQ(scale_to_draw(p, true, false), 1) << "then the exact still";
    EXPECT_EQ(scale_to_draw(p, true, false), 0) << "then nothing";
    EXPECT_EQ(scale_to_draw(p, true, false), 0);
    EXPECT_EQ(scale_to_draw(p, false, true), 4) << "playing again";
    EXPECT_EQ(scale_to_draw(p, true, true), 4);
    EXPECT_EQ(scale_to_draw(p, false, false), 4) << "resumed before the exact frame";
    EXPECT_EQ(scale_to_draw(p, false, false), 4) << "no exact frame owed while playing";

    EXPECT_EQ(scale_to_draw(p, false, true, true), 1) << "a shot while playing";
    EXPECT_EQ(scale_to_draw(p, true, true, true), 1) << "a shot while paused";
    EXPECT_EQ(scale_to_draw(p, true, false), 0) << "and nothing owed after it";

    p.mode = 1;
    EXPECT_EQ(scale_to_draw(p, true, true), 1) << "at full scale the first frame is exact";
    EXPECT_EQ(scale_to_draw(p, true, false), 0);

    p.mode = preview_auto;
    p.governor.index = 1;
    EXPECT_EQ(scale_to_draw(p, true, true), 2) << "auto stops at the governor's scale";
    EXPECT_EQ(scale_to_draw(p, true, false), 1);
}

TEST(StudioPreview, TheExactFrameComesAtOnceWhereAQuickOneWouldOnlyStandInForIt)
{
    preview_state p;
    p.mode = 4;
    const loop_facts playing = {true, false, 10, 10.2, false, false, false, false};
    EXPECT_EQ(frame_scale(p, playing), 4);

    loop_facts stop = playing;
    stop.paused = true, stop.row = stop.row_before, stop.changed = true;
    EXPECT_EQ(frame_scale(p, stop), 1) << "a stop where the frame stands: its quick frame is on screen";
    loop_facts rest = {false, true, 10, 10, false, false, false, false};
    EXPECT_EQ(frame_scale(p, rest), 0);

    loop_facts stop_with_new_effect = stop;
    stop_with_new_effect.new_shaders = true;
    EXPECT_EQ(frame_scale(p, stop_with_new_effect), 4) << "a new effect is a change: quick first";
    EXPECT_EQ(frame_scale(p, rest), 1);

    loop_facts stepped = {false, true, 10, 11, false, true, false, false};
    EXPECT_EQ(frame_scale(p, stepped), 4) << "a step while paused: quick first";
    loop_facts notice = rest;
    notice.relabelled = true;
    EXPECT_EQ(frame_scale(p, notice), 1) << "new lines over a still owed its exact frame";
    EXPECT_EQ(frame_scale(p, rest), 0);
    EXPECT_EQ(frame_scale(p, notice), 1) << "new lines alone over an exact still";
    notice.changed = true;
    EXPECT_EQ(frame_scale(p, notice), 4) << "new lines with a change: quick first";

    loop_facts shot = playing;
    shot.shot = true;
    EXPECT_EQ(frame_scale(p, shot), 1);
}

TEST(StudioPreview, QCyclesFullHalfQuarterAuto)
{
    preview_state p;
    p.mode = 1;
    int seen[5];
    for (int& mode : seen) {
        mode = p.mode;
        cycle_preview_mode(p);
    }
    EXPECT_EQ(std::vector<int>(seen, seen + 5), (std::vector<int>{1, 2, 4, preview_auto, 1}));
}

TEST(StudioRestart, StartsAgainWhereItStandsWithTheOtherArgumentsKept)
{
    const char* argv[] = {"studio", "--row", "3", "--shader-dir", "fx", "--paused", "--loop", "1:2", "--rocket", "9"};
    const auto args = restart_arguments(10, argv, {400.5, false, 16, 24});
    EXPECT_EQ(args, (std::vector<std::string>{"studio", "--shader-dir", "fx", "--rocket", "9", "--row", "400.5",
                                              "--loop", "16:24"}));
    const auto paused = restart_arguments(1, argv, {0.1, true, 0, -1});
    EXPECT_EQ(paused, (std::vector<std::string>{"studio", "--row", "0.10000000000000001", "--paused"}));
    // The costs measured so far go along in place of those the studio was started with.
    const char* costly[] = {"studio", "--costs", "old.tsv", "--paused"};
    EXPECT_EQ(restart_arguments(4, costly, {8, false, 0, -1}, "/proc/self/fd/9"),
              (std::vector<std::string>{"studio", "--row", "8", "--costs", "/proc/self/fd/9"}));
    EXPECT_EQ(restart_arguments(4, costly, {8, false, 0, -1}),
              (std::vector<std::string>{"studio", "--costs", "old.tsv", "--row", "8"}));
}

TEST(StudioRestart, TheEffectSavedLastIsSuspected)
{
    const std::string dir = testing::TempDir() + "/restart_suspect";
    std::filesystem::create_directories(dir);
    int hours_ago = 3;
    for (const char* name : {"prefix.hlsl", "e04.hlsl", "e03.hlsl"}) { // e03.hlsl saved last
        std::ofstream(dir + "/" + name) << "//\n";
        std::filesystem::last_write_time(dir + "/" + name, std::filesystem::file_time_type::clock::now() -
                                                               std::chrono::hours(hours_ago--));
    }
    const int frame[] = {4, 5, 0}; // entries 3 and 4, then the composite
    EXPECT_EQ(suspect_effect(dir.c_str(), frame, 3), "entry 3 (e03.hlsl)");
    EXPECT_EQ(suspect_effect(dir.c_str(), frame + 2, 1), "the composite (prefix.hlsl)");
    EXPECT_EQ(suspect_effect(dir.c_str(), frame, 0), "");
    std::filesystem::remove_all(dir);
}

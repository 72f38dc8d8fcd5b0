#include "driver/feed.h"

#include <cmath>

#include "driver/authoring.h"
#include "shared/state.h"
#include "timeline/sync.h"

namespace {
// The timeline playing: its tables and the evaluator's working space, which
// every evaluation for the feed shares.
struct timeline_record {
    sync_tables tables;
    sync_scratch scratch;
};
timeline_record timeline_playing = {show_sync, {}};

// Eases the feed toward the target track just evaluated.
int ease_feed(feed_state& feed)
{
    double a = (double(feed.time) - feed.previous_time) * track_at(feed, slot_rate);
    a = std::fabs(a);
    if (a > 1)
        a = 1;
    const double target = track_at(feed, slot_target);
    double p = (1 - a) * feed.position + a * target;
    feed.position = float(p);
    // One-sided on purpose: any target below the position is taken at once.
    if (target - p < 0.004) {
        feed.position = float(target);
        p = target;
    }
    return int(p + 0.5);
}

// The pass for a whole entry number, walked down past empty slots.
pass_descriptor entry_pass(const feed_state& feed, const filled_slots& filled, double entry, float pass_value)
{
    // Clamped before truncation: every slot past the last entry's is empty anyway.
    const int n = slot_drawing(!(entry >= 0) ? 0 : entry > entry_count ? entry_count : int(entry), filled);
    const bool even = entry_of_slot(n < 0 ? composite_slot : n) % 2 == 0;
    return {n, pass_value, track_at(feed, even ? slot_even_zoom : slot_odd_zoom),
            track_at(feed, even ? slot_even_offset : slot_odd_offset)};
}
}

bool next_entry_shows(float position)
{
    // Half a row short of 1: F is 0 below it whatever way a device rounds.
    return position - std::floor(position) >= 0.5f / 1080;
}

void play_timeline(const sync_tables& tables) { timeline_playing.tables = tables; }

void syncget(float t, float* out) { sync_evaluate(timeline_playing.tables, timeline_playing.scratch, t, out); }

void syncgetc(float t, float* out) { syncget(t, out); }

feed_state start_feed()
{
    feed_state feed;
    feed.time = frame_constants[slot_time];
    feed.previous_time = frame_constants[slot_previous_time];
    feed.position = 0;
    feed.heard = {0, 0}; // the show starts on entry 0's music at row 0
    for (int k = 0; k < sync_track_count; ++k)
        feed.tracks[k] = frame_constants[slot_tracks + k];
    return feed;
}

int step_feed(feed_state& feed, double now, const sync_tables& tables, sync_scratch& scratch)
{
    feed.previous_time = feed.time;
    feed.time = float(now * row_seconds);
    sync_evaluate(tables, scratch, float(now), feed.tracks);
    const int track = ease_feed(feed);
    feed.heard = hear_track(feed.heard, track, now);
    return track;
}

int update_feed(feed_state& feed, double now)
{
    return step_feed(feed, now, timeline_playing.tables, timeline_playing.scratch);
}

void plan_passes(const feed_state& feed, const filled_slots& filled, int width, pass_descriptor passes[pass_count])
{
    const double position = feed.position;
    passes[0] = entry_pass(feed, filled, std::trunc(position), 0.0f);
    passes[1] = entry_pass(feed, filled, std::trunc(position + 1.0), 1.0f);
    passes[2] = {filled.slot[composite_slot] ? composite_slot : -1, float(column_left(width)), 0, 0};
}

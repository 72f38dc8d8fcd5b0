#include "driver/feed.h"

#include <cmath>
#include <cstring>

#include "driver/authoring.h"
#include "music/heard.h"
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

void advance_time(double now)
{
    float* const fc = frame_constants;
    fc[slot_previous_time] = fc[slot_time];
    fc[slot_time] = float(now * row_seconds);
}

// Eases the feed toward the target track just evaluated.
int ease_feed()
{
    float* const fc = frame_constants;
    double a = (double(fc[slot_time]) - fc[slot_previous_time]) * fc[slot_rate];
    a = std::fabs(a);
    if (a > 1)
        a = 1;
    const double target = fc[slot_target];
    double p = (1 - a) * fc[slot_feed_position] + a * target;
    fc[slot_feed_position] = float(p);
    // One-sided on purpose: any target below the position is taken at once.
    if (target - p < 0.004) {
        fc[slot_feed_position] = float(target);
        p = target;
    }
    return int(p + 0.5);
}
}

void play_timeline(const sync_tables& tables) { timeline_playing.tables = tables; }

void syncget(float t, float* out) { sync_evaluate(timeline_playing.tables, timeline_playing.scratch, t, out); }

void syncgetc(float t, float* out) { syncget(t, out); }

void start_feed()
{
    frame_constants[slot_feed_position] = 0;
    frame_constants[slot_heard_track] = 0; // the show starts on entry 0's music at row 0
    frame_constants[slot_heard_since] = 0;
}

int update_feed(double now)
{
    advance_time(now);
    syncgetc(float(now), frame_constants + slot_tracks);
    const int track = ease_feed();
    float* const fc = frame_constants;
    const heard_track heard = hear_track({int(fc[slot_heard_track]), fc[slot_heard_since]}, track, now);
    fc[slot_heard_track] = float(heard.track);
    fc[slot_heard_since] = float(heard.since);
    return track;
}

int peek_feed(double now, float& position)
{
    float kept[slot_feed_end]; // all that a step writes
    std::memcpy(kept, frame_constants, sizeof kept);
    const int track = update_feed(now);
    position = frame_constants[slot_feed_position];
    std::memcpy(frame_constants, kept, sizeof kept);
    return track;
}

namespace {
// The pass for a whole entry number, walked down past empty slots.
pass_descriptor entry_pass(double entry, float pass_value)
{
    // Clamped before truncation: every slot past the last entry's is empty anyway.
    int n = entry_slot(!(entry >= 0) ? 0 : entry > entry_count ? entry_count : int(entry));
    while (n > composite_slot && !shader_slot_filled(n))
        --n;
    const float* fc = frame_constants;
    const bool even = entry_of_slot(n) % 2 == 0;
    return {shader_slot_filled(n) ? n : -1, pass_value, fc[even ? slot_even_zoom : slot_odd_zoom],
            fc[even ? slot_even_offset : slot_odd_offset]};
}
}

void plan_passes(pass_descriptor passes[pass_count])
{
    const double position = frame_constants[slot_feed_position];
    passes[0] = entry_pass(std::trunc(position), 0.0f);
    passes[1] = entry_pass(std::trunc(position + 1.0), 1.0f);
    passes[2] = {shader_slot_filled(composite_slot) ? composite_slot : -1, float((W - column_width) / 2), 0, 0};
}

// Per-frame feed logic: show time, sync tracks, the eased feed position and the
// three passes of the frame. The feed is a value, stepped from frame to frame;
// it reaches the shaders only where draw_passes uploads it. It plays one
// timeline: the show's own, unless an authoring tool has put another in its
// place (driver/authoring.h).
#pragma once

#include "music/heard.h"
#include "shared/state.h"
#include "timeline/sync.h"

struct feed_state {
    float time;                      // show time in seconds
    float previous_time;             // the step before's
    float position;                  // the eased feed position, in entries
    float tracks[sync_track_count];  // the sync tracks at `time`
    heard_track heard;               // the music heard, as select_track restarts it
};

// The track a frame_constants slot (slot_target ... slot_gamma) holds.
inline float& track_at(feed_state& feed, int slot) { return feed.tracks[slot - slot_tracks]; }
inline float track_at(const feed_state& feed, int slot) { return feed.tracks[slot - slot_tracks]; }

struct pass_descriptor {
    int shader_slot; // -1 when there is nothing to run
    float pass_value;
    float zoom;
    float time_offset;
};
constexpr int pass_count = 3;

// The feed at entry 0, as the show's first frame finds it: time, previous time
// and tracks hold what start-up left in frame_constants (the noise), so the
// first step eases from there as it always has.
feed_state start_feed();
// Moves `feed` to `now` (show time in rows) over `tables`, with their scratch:
// the time, the tracks evaluated, the position eased toward the target track.
// Returns the index of the track to play.
int step_feed(feed_state& feed, double now, const sync_tables& tables, sync_scratch& scratch);
// step_feed over the timeline playing.
int update_feed(feed_state& feed, double now);
// Current entry, next entry, composite, for `feed` with the shaders `filled`
// and a back buffer `width` pixels wide.
void plan_passes(const feed_state& feed, const filled_slots& filled, int width, pass_descriptor passes[pass_count]);
// Whether the next entry's pass can draw a pixel at `position`: the entry
// kernel gives it the rows from 1080 - F down, F = int(frac(position) * 1080),
// none while F is 0, as when the feed rests on an entry.
bool next_entry_shows(float position);

// The timeline playing at t (in rows), one float per track into out[0 ...],
// with the feed's own scratch. Not re-entrant.
void syncget(float t, float* out);
// The feed's call into syncget; the same work.
void syncgetc(float t, float* out);

// Per-frame feed logic: show time, sync tracks, the eased feed position and the
// three passes of the frame.
#pragma once

// Frame-constant slots the feed logic and frame loop use.
enum : int {
    slot_time = 0,
    slot_previous_time = 1,
    slot_pass_value = 2,
    slot_feed_position = 3,
    slot_zoom = 4,
    slot_time_offset = 5,
    slot_tracks = 6, // sync tracks 0 ... 16 land in slots 6 ... 22
    slot_target = 6,
    slot_rate = 7,
    slot_even_zoom = 8,
    slot_odd_zoom = 10,
    slot_gain = 20, // sync tracks 14 ... 16, read by the composite
    slot_blur = 21,
    slot_gamma = 22,
};

struct pass_descriptor {
    int slot; // shader_table slot; -1 when there is nothing to run
    float pass_value;
    float zoom;
    float time_offset;
};
constexpr int pass_count = 3;

// now: show time in rows. Returns the index of the track to play.
int update_feed(double now);
// Current entry, next entry, composite.
void plan_passes(pass_descriptor passes[pass_count]);

// Per-frame feed logic: show time, sync tracks, the eased feed position and the
// three passes of the frame. The feed plays one timeline: the show's own, unless
// an authoring tool has put another in its place (driver/authoring.h).
#pragma once

#include "shared/state.h"
#include "timeline/sync.h"

struct pass_descriptor {
    int shader_slot; // -1 when there is nothing to run
    float pass_value;
    float zoom;
    float time_offset;
};
constexpr int pass_count = 3;

// The feed at entry 0, as the show's first frame finds it.
void start_feed();
// now: show time in rows. Returns the index of the track to play.
int update_feed(double now);
// Current entry, next entry, composite.
void plan_passes(pass_descriptor passes[pass_count]);

// The timeline playing at t (in rows), one float per track into out[0 ...],
// with the feed's own scratch. Not re-entrant.
void syncget(float t, float* out);
// The feed's call into syncget; the same work.
void syncgetc(float t, float* out);

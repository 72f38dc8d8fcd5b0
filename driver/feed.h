// Per-frame feed logic: show time, sync tracks, the eased feed position and the
// three passes of the frame.
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

// now: show time in rows. Returns the index of the track to play.
int update_feed(double now);
// The same over other tables (an edited timeline in the authoring tools).
int update_feed(double now, const sync_tables& tables);
// Current entry, next entry, composite.
void plan_passes(pass_descriptor passes[pass_count]);

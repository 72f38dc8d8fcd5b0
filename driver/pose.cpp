#include <cstring>

#include "driver/authoring.h"
#include "driver/feed.h"
#include "shared/state.h"

namespace {
float start_constants[frame_constant_count];
}

void keep_start_constants() { std::memcpy(start_constants, frame_constants, sizeof start_constants); }

void restart_feed()
{
    std::memcpy(frame_constants, start_constants, sizeof start_constants);
    start_feed();
}

void pose_entry(int e, double rows, double seconds)
{
    restart_feed();
    frame_constants[slot_time] = frame_constants[slot_previous_time] = float(seconds);
    syncget(float(rows), frame_constants + slot_tracks);
    frame_constants[slot_feed_position] = float(e);
    frame_constants[slot_heard_track] = float(e); // since row 0, set by restart_feed
}

void pose_plain()
{
    float* fc = frame_constants;
    fc[slot_even_zoom] = fc[slot_odd_zoom] = 1;
    fc[slot_even_offset] = fc[slot_odd_offset] = 0;
    fc[slot_gain] = 1;
    fc[slot_blur] = 0;
    fc[slot_gamma] = 1;
}

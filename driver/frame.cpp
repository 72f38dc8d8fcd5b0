#include "driver/frame.h"

#include <cstring>

#include "graphics/device.h"
#include "shared/state.h"

namespace {
void put_feed(const feed_state& feed)
{
    frame_constants[slot_time] = feed.time;
    frame_constants[slot_previous_time] = feed.previous_time;
    frame_constants[slot_feed_position] = feed.position;
    std::memcpy(frame_constants + slot_tracks, feed.tracks, sizeof feed.tracks);
}
}

void draw_passes(const feed_state& feed)
{
    pass_descriptor passes[pass_count];
    plan_passes(feed, slots_filled(), W, passes);
    put_feed(feed);
    // Zoom and time offset are the entry passes' own; the composite keeps the next entry's.
    for (int k = 0; k < 2; ++k) {
        frame_constants[slot_pass_value] = passes[k].pass_value;
        frame_constants[slot_zoom] = passes[k].zoom;
        frame_constants[slot_time_offset] = passes[k].time_offset;
        if (passes[k].shader_slot >= 0)
            run_pass(passes[k].shader_slot);
    }
    frame_constants[slot_pass_value] = passes[2].pass_value;
    if (passes[2].shader_slot >= 0)
        run_pass(composite_slot);
}

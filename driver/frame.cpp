#include "driver/frame.h"

#include "driver/feed.h"
#include "graphics/device.h"
#include "shared/state.h"

void draw_passes()
{
    pass_descriptor passes[pass_count];
    plan_passes(passes);
    for (int k = 0; k < 2; ++k) {
        frame_constants[slot_pass_value] = passes[k].pass_value;
        frame_constants[slot_zoom] = passes[k].zoom;
        frame_constants[slot_time_offset] = passes[k].time_offset;
        if (passes[k].shader_slot >= 0)
            run_pass(passes[k].shader_slot);
    }
    // The composite keeps the next entry's zoom and time offset.
    frame_constants[slot_pass_value] = passes[2].pass_value;
    if (passes[2].shader_slot >= 0)
        run_pass(composite_slot);
}

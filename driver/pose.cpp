#include "driver/pose.h"

#include "shared/state.h"

void pose_plain()
{
    float* fc = frame_constants;
    fc[slot_even_zoom] = fc[slot_odd_zoom] = 1;
    fc[slot_even_offset] = fc[slot_odd_offset] = 0;
    fc[slot_gain] = 1;
    fc[slot_blur] = 0;
    fc[slot_gamma] = 1;
}

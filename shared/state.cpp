#include "shared/state.h"

alignas(16) noise_block randdata;
gpu_shader* shader_table[shader_slots];
music_track track_table[track_slots];
int W = column_width;

filled_slots slots_filled()
{
    filled_slots filled;
    for (int n = 0; n < shader_slots; ++n)
        filled.slot[n] = shader_table[n] != nullptr;
    return filled;
}

int slot_drawing(int e, const filled_slots& filled)
{
    int n = entry_slot(e < 0 ? 0 : e > entry_count ? entry_count : e);
    while (n > composite_slot && (n >= shader_slots || !filled.slot[n]))
        --n;
    return n > composite_slot ? n : -1;
}

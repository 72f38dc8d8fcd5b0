#include "shared/state.h"

alignas(16) noise_block randdata;
gpu_shader* shader_table[shader_slots];
music_track track_table[track_slots];
int W = column_width;

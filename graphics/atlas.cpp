#include "graphics/atlas.h"

#include <cstring>

// Placeholder until the text rasteriser lands: an all-black atlas.
void draw_caption_atlas(unsigned char* red) { std::memset(red, 0, atlas_width * atlas_height); }

// The caption atlas: every entry's caption row and the eleven banner strings,
// white text on black, one byte per texel (the red channel the shaders read).
#pragma once

constexpr int atlas_width = 1024;
constexpr int atlas_height = 14336; // 14 bands of 1024 texel rows

// Rasterises the whole atlas into `red`, atlas_width x atlas_height bytes,
// row 0 first. Never fails: a missing face leaves its texts out.
void draw_caption_atlas(unsigned char* red);

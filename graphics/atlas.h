// The caption atlas: every entry's caption row and the eleven banner strings,
// white text on black, one byte per texel (the red channel the shaders read).
#pragma once

#include <vector>

constexpr int atlas_width = 1024;
constexpr int atlas_height = 14336; // 14 bands of 1024 texel rows

// Rasterises the whole atlas into `red`, atlas_width x atlas_height bytes,
// row 0 first. Never fails: a missing face leaves its texts out.
void draw_caption_atlas(unsigned char* red);

// Starts drawing the atlas on a thread of its own: it needs no device, so the
// show draws it while its window and device start.
void start_drawing_caption_atlas();
// The atlas that start_drawing_caption_atlas began, waiting for it, or else
// one drawn now; the caller's to keep.
std::vector<unsigned char> take_caption_atlas();

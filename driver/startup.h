// The show's start-up, written once for the show, its tools and the GPU tests,
// so that every device is built in the show's order.
#pragma once

#include "driver/feed.h"
#include "graphics/device.h"

// Device (presenting into `window`, or headless when it is null), noise,
// caption atlas and constant buffer. A null atlas takes the captions'
// (take_caption_atlas: the ones start_drawing_caption_atlas drew meanwhile,
// else drawn now); a given one (atlas_width x atlas_height bytes) is
// uploaded instead. False,
// after a line on stderr, when there is no usable device.
bool start_device(const window_link* window, const unsigned char* atlas = nullptr,
                  validation_sink validation = nullptr);
// Compiles the 38 shaders from `sources` (null: the built-in texts) and
// presents once; every shader is readied before it returns.
void start_shaders(const char* const* sources);
// Waits for the music that start_loading_tracks began decoding (the show's
// first step, so that it decodes while the device starts and the shaders
// compile), starts entry 0's track and at once the clock. Returns
// the feed at entry 0.
feed_state start_music_and_clock();

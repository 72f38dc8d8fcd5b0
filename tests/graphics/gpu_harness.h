// A headless device for the GPU tests, started once per test process with the
// validation layer on: any message it gives fails the running test.
#pragma once
#include <string>

#include "driver/feed.h"
#include "shared/state.h"


// Device, noise volume, a black atlas and the constant buffer, with the
// back buffer `width` pixels wide. Later calls return at once.
void start_gpu(int width);

// Effect text whose colour encodes the position it is given: red x, green
// y mod 1024 and blue (y / 1024 + 2 * tag), in 10-bit steps.
std::string position_effect(int tag);

// Compiles position_effect(e) for every entry e, with `special` as entry
// special_entry's text instead where one is given.
void compile_position_effects(int special_entry = -1, const std::string& special = "");

// The feed the tests draw: from start-up's noise on, as each test leaves it.
extern feed_state test_feed;
// Clock 0, zoom 1, time offset 0, no caption shadow, gain 1, blur 0, gamma 1.
void set_plain_constants();
// Draws and presents test_feed at `feed_position` through the show's frame code.
void draw_at(float feed_position);

// A packed 10-bit pixel of the last presented back buffer.
struct pixel {
    int r, g, b;
};
pixel back_buffer_at(int x, int y);

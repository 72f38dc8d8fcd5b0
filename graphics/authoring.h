// What the authoring tools ask of the device beyond the show's own calls:
// effects recompiled while the show runs, a watch on the device's waits,
// frames read back, the column moved aside and text panels beside it.
#pragma once
#include <string>

#include "graphics/device.h"

// One line on stderr naming the device and driver in use.
void report_driver();

// Compiles one slot from `table` without touching shader_table, for a text
// edited while the show runs. Null, with the compiler's message in `report`
// (effect line numbers counted in the author's file), when it fails; the
// compiler's warnings, counted alike, are in `report` when it compiles.
gpu_shader* compile_slot(int slot, const char* const* table, std::string& report);
// Frees a shader that never went into shader_table, once the device is done
// with it.
void retire_shader(gpu_shader* shader);
// Between frames: `shader` into shader_table[slot], the one it replaces retired.
void replace_shader(int slot, gpu_shader* shader);
// Between frames: `shader` into shader_table[slot], the one it replaces handed
// back untouched, so that two versions of an effect can take turns.
gpu_shader* exchange_shader(int slot, gpu_shader* shader);

// With a hook set, every wait on the device is made in short steps, and the
// hook sees the seconds waited so far between them: an effect caught in an
// endless loop cannot be stopped on the CPU driver, but a tool can still
// answer its user. The hook may end the process; when it returns the wait
// goes on. Without one (the show) a wait lasts as long as the work.
extern void (*device_wait_hook)(double waited_seconds);
// A GPU's driver gives up on an effect that runs too long and loses the
// device. That is said in one line naming the slots in flight; then this
// hook, when set, has its say (it may wait for a fix and start afresh);
// the process ends after it.
extern void (*device_lost_hook)();
// The shader slots of the work being waited for (a frame's passes, or every
// slot as they warm up), each once; returns how many.
int slots_in_flight(int slots[shader_slots]);

// Without a window: the last presented back buffer, W x 1080 packed 10-bit
// RGB words (red in the low bits). It stays valid through the next present
// (which fills the other of two buffers), so a frame can be read while the
// next one is drawn.
const unsigned* presented_pixels();
// In the middle of a frame: submits what is drawn so far and waits for it,
// then the back buffer as presented_pixels gives it (valid until the next
// call or present). The frame goes on afterwards.
const unsigned* read_back_buffer();

// After the passes: the column, as the composite left it in the middle of the
// back buffer, scaled into the rectangle (smoothly), so that panels can lie
// beside it. What it leaves of the column's old place is the overlay's to fill.
void fit_column(int x, int y, int width, int height);

// A rectangle of the back buffer, filled from a grey image, or with a palette
// (256 colours, 0xRRGGBB) reading its bytes as colour numbers.
struct overlay_rect {
    int x, y, width, height;
    const unsigned* palette = nullptr;
};
// Lays the rectangles of `grey` (W x 1080 bytes, 0 black to 255 white) over
// the frame drawn so far, replacing what the passes wrote there.
void draw_overlay(const unsigned char* grey, const overlay_rect* rects, int count);

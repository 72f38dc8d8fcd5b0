// The GPU device layer: the only place that talks to Vulkan. Everything the
// show draws goes through these few operations.
#pragma once
#include <string>

#include "shared/state.h"

// What the window side hands over so the device can present into it. Both
// pointers are Vulkan handles passed as void* so this header needs no Vulkan.
struct window_link {
    const char* const* instance_extensions;
    unsigned extension_count;
    // Creates the window's surface for `instance` (a VkInstance) into `surface`
    // (a VkSurfaceKHR*). Returns false on failure.
    bool (*create_surface)(void* instance, void* surface);
};

// Receives each message of the Vulkan validation layer.
using validation_sink = void (*)(const char* message);

// Device, back buffer (W x 1080), feed_image and the fixed bindings. With a
// null link there is no window: present copies the back buffer to host memory.
// A sink turns the validation layer on. Returns false, after one line on
// stderr, when no usable Vulkan device exists.
bool create_device(const window_link* window, validation_sink validation = nullptr);
// One line on stderr naming the device and driver in use (for the tools).
void report_driver();
void create_noise_volume();     // from randdata, after fillrand
void upload_atlas(const unsigned char* red); // atlas_width x atlas_height bytes, rasterised by the caller
void create_constant_buffer();
// Compiles all 38 slots in parallel and readies each pipeline with one small
// dispatch; null selects the built-in texts. A text that fails leaves its
// slot empty and its compiler message on stderr.
void compile_shaders(const char* const* table);
// Compiles one slot from `table` without touching shader_table, for a text
// edited while the show runs. Null, with the compiler's message in `report`
// (effect line numbers counted in the author's file), when it fails.
gpu_shader* compile_slot(int slot, const char* const* table, std::string& report);
// Frees a shader swapped out of shader_table once the device is done with it.
void retire_shader(gpu_shader* shader);
// For the authoring tools' preview, before compile_shaders: every shader is
// also built for scales 2 and 4, where the passes draw the column at 1/N of
// its width and height and the composite brings it back to full size.
void build_preview_scales();
// 1, 2 or 4 for the passes run from now on; any other scale, or one not
// built, draws at full scale.
void set_preview_scale(int scale);

// With a hook set, every wait on the device is made in short steps, and the
// hook sees the seconds waited so far between them: an effect caught in an
// endless loop cannot be stopped on the CPU driver, but a tool can still
// answer its user. The hook may end the process; when it returns the wait
// goes on. Without one (the show) a wait lasts as long as the work.
extern void (*device_wait_hook)(double waited_seconds);
// The shader slots of the work being waited for (a frame's passes, or every
// slot as they warm up), each once; returns how many.
int slots_in_flight(int slots[shader_slots]);

// One pass: uploads all of frame_constants, binds shader_table[slot] and
// dispatches 96 x 135 groups (1/N of each at preview scale N). Passes run in
// submission order.
void run_pass(int slot);
// Ends the frame: shows the back buffer scaled onto the window, or without a
// window copies it to host memory and waits for it. The window always waits
// for vertical sync (FIFO).
void present();
// Without a window: the last presented back buffer, W x 1080 packed 10-bit
// RGB words (red in the low bits). It stays valid through the next present
// (which fills the other of two buffers), so a frame can be read while the
// next one is drawn.
const unsigned* presented_pixels();

// For the authoring tools, in the middle of a frame: submits what is drawn so
// far and waits for it, then the back buffer as presented_pixels gives it
// (valid until the next call or present). The frame goes on afterwards.
const unsigned* read_back_buffer();

// For the authoring tools, between frames: a new back buffer (black) after W
// changed, so the picture keeps the window's aspect.
void resize_back_buffer();
// A rectangle of the back buffer, filled from a grey image, or with a palette
// (256 colours, 0xRRGGBB) reading its bytes as colour numbers.
struct overlay_rect {
    int x, y, width, height;
    const unsigned* palette = nullptr;
};
// Lays the rectangles of `grey` (W x 1080 bytes, 0 black to 255 white) over
// the frame drawn so far, replacing what the passes wrote there.
void draw_overlay(const unsigned char* grey, const overlay_rect* rects, int count);

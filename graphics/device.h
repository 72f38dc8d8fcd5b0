// The GPU device layer: the only place that talks to Vulkan. Everything the
// show draws goes through these few operations; the authoring tools add
// theirs from graphics/authoring.h.
#pragma once
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

// Sets W, the back buffer's width. Before create_device only W changes; after
// it, a new width also makes the back buffer (black) and its way to the
// window or to host memory again, between frames.
void set_back_buffer_width(int width);
// Device, back buffer (W x 1080), feed_image and the fixed bindings. With a
// null link there is no window: present copies the back buffer to host memory.
// A sink turns the validation layer on. The device is the best the system
// has (a GPU before a CPU) or the one SWIPEMIX_DEVICE names. Returns false,
// after one line on stderr, when no usable Vulkan device exists or none is named.
bool create_device(const window_link* window, validation_sink validation = nullptr);

// Prints the Vulkan devices, one a line with its index, marking the one the
// show would draw on (SWIPEMIX_DEVICE, an index or part of a name, picks
// another). False, after a line on stderr, when none would do.
bool list_devices();

// Whether the device drawn on is a CPU implementation, after create_device.
bool device_is_cpu();

void create_noise_volume();     // from randdata, after fillrand
void upload_atlas(const unsigned char* red); // atlas_width x atlas_height bytes, rasterised by the caller
void create_constant_buffer();
// The frame's audio texture, audio_bins x audio_rows floats, for the passes after it.
void upload_audio_texture(const float* texels);
// Compiles all 38 slots in parallel and readies each pipeline with one small
// dispatch; null selects the built-in texts. A text that fails leaves its
// slot empty and its compiler message on stderr.
void compile_shaders(const char* const* table);
// Its steps, for a start-up that readies some shaders before others: waits
// for the compiles to SPIR-V (starting them where start_compiling_shaders
// has not) and says which slots have code; then makes the pipelines of the
// slots marked in `which` (null: all that are left), a thread each, until
// every slot's are made; warm_up_shaders readies them.
filled_slots wait_for_spirv(const char* const* table);
void make_pipelines(const bool* which);
// Readies the pipelines of the slots marked in `which` (null: every slot)
// with one small dispatch each, leaving the images as they were: a driver
// may build a pipeline's code only at its first dispatch, stalling the
// frame that makes it.
void warm_up_shaders(const bool* which);
// The compiles to SPIR-V, which need no device, started at once on a thread
// a core, the longest texts first, a text that several entries share once;
// compile_shaders then takes them over (and `table` is this one's).
void start_compiling_shaders(const char* const* table);
// Waits for those compiles; compile_shaders does, and so must a show whose
// device never came to take them over: the threads may not outlive it.
void wait_for_compiles();

// Before compile_shaders: every shader is also built for scales 2 up to
// `coarsest` (4 or 8), where the entry passes draw the column at 1/N of its
// width and height and the composite brings it back to full size (the
// studio's preview, a capture's --preview).
void build_preview_scales(int coarsest = 4);
// The same, but after start-up (--adaptive): compile_shaders builds full
// scale alone and keeps the modules, and build_next_preview_scales builds
// and readies one more pipeline between frames (false once none is left):
// the coarsest scale of every slot, then the next finer, so that the show
// starts as soon as full scale can and has its cheapest scale soonest.
void build_preview_scales_later(int coarsest);
bool build_next_preview_scales();
// Whether the slot (-1: none) can be drawn at `scale`.
bool preview_scale_ready(int slot, int scale);
// 1, 2, 4 or 8 for the passes run from now on; any other scale, or one not
// built, draws at full scale.
void set_preview_scale(int scale);

// One pass: uploads all of frame_constants, binds shader_table[slot] and
// dispatches 96 x 135 groups (1/N of each for an entry at scale N). Passes run in
// submission order.
void run_pass(int slot);
// Ends the frame: shows the back buffer scaled onto the window, or without a
// window copies it to host memory and waits for it. The window always waits
// for vertical sync (FIFO).
void present();

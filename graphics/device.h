// The GPU device layer: the only place that talks to Vulkan. Everything the
// show draws goes through these few operations.
#pragma once

// What the window side hands over so the device can present into it. Both
// pointers are Vulkan handles passed as void* so this header needs no Vulkan.
struct window_link {
    const char* const* instance_extensions;
    unsigned extension_count;
    // Creates the window's surface for `instance` (a VkInstance) into `surface`
    // (a VkSurfaceKHR*). Returns false on failure.
    bool (*create_surface)(void* instance, void* surface);
};

// Device, back buffer (W x 1080), feed_image and the fixed bindings. With a
// null link there is no window: present copies the back buffer to host memory.
// Returns false, after one line on stderr, when no Vulkan device exists.
bool create_device(const window_link* window);
void create_noise_volume();     // from randdata, after fillrand
void build_atlas();             // rasterises the captions and uploads them
void create_constant_buffer();
// Compiles all 38 slots in parallel; null selects the built-in texts.
void compile_shaders(const char* const* table);

// One pass: uploads all of frame_constants, binds shader_table[slot] and
// dispatches 96 x 135 groups. Passes run in submission order.
void run_pass(int slot);
// Ends the frame: shows the back buffer (vsync when sync_interval is 1), or
// without a window copies it to host memory.
void present(int sync_interval);
// Without a window: the last presented back buffer, W x 1080 packed 10-bit
// RGB words (red in the low bits), valid until the next present.
const unsigned* presented_pixels();

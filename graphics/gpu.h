// The device layer's own record of its Vulkan objects, shared by the files of
// graphics/ and seen nowhere else.
#pragma once
#include <vulkan/vulkan.h>

#include <string>

#include "graphics/memory_choice.h"
#include "shared/state.h"

// Scales 1, 2, 4 and 8: the authoring tools' preview and the show's
// --adaptive draw the column at 1/N of its width and height.
constexpr int preview_scale_count = 4;

struct gpu_shader {
    VkPipeline pipeline[preview_scale_count]; // full scale; the others only when asked for
    VkPipeline upscale[preview_scale_count];  // the composite's second pass at each reduced scale
    VkShaderModule module;                    // kept while the other scales are still to be built
    const char* entry_point;
};

struct gpu_image {
    VkImage image;
    VkDeviceMemory memory;
    VkImageView view;
};

struct gpu_buffer {
    VkBuffer buffer;
    VkDeviceMemory memory;
    void* mapped;    // host buffers only
    bool coherent;   // else flushed after host writes and invalidated before host reads
};

// Descriptor bindings; shaderc maps the HLSL registers onto them.
enum : uint32_t {
    binding_constants = 0, // b0
    binding_noise = 1,     // t0
    binding_atlas = 2,     // t1
    binding_sampler = 3,   // s0
    binding_back_buffer = 4, // u0
    binding_feed_image = 5,  // u1
    binding_audio = 6,       // t5: t2 ... t4 would fall on the sampler's and the images' bindings
    binding_count = 7,
};

constexpr VkFormat show_image_format = VK_FORMAT_A2B10G10R10_UNORM_PACK32; // red in the low bits
// What the shaders read of frame_constants: the seven float4 c, p, wat, B, I,
// xts and mu that prefix.hlsl declares. Only these are uploaded and bound.
constexpr VkDeviceSize constant_bytes_read = 28 * sizeof(float);
constexpr uint32_t max_swapchain_images = 16;
constexpr uint32_t no_window_image = UINT32_MAX; // nothing to present into: the window is minimised
constexpr uint32_t group_count_x = column_width / 8, group_count_y = frame_height / 8;
// The composite's second pass at scale N: a thread for each gap between block
// middles, the edges' half gaps included.
constexpr uint32_t upscale_groups(uint32_t size, uint32_t scale) { return (size / scale + 1 + 7) / 8; }
inline int preview_scale_of(int index) { return 1 << index; }

struct gpu_record {
    VkInstance instance;
    VkPhysicalDevice physical;
    VkDevice device;
    uint32_t queue_family;
    VkQueue queue;
    VkCommandPool command_pool;
    VkCommandBuffer frame;  // records a frame's passes and its present
    VkFence frame_done;
    bool recording;
    int preview_scales_top;    // the coarsest scale's index every shader is also built at (0: full scale alone)
    bool preview_scales_later; // those are built after start-up, a pipeline at a time, coarsest first
    int preview_scales_made;   // how many of those are made
    int preview_index;         // the scale the passes draw at now
    int slots_run[shader_slots]; // the shader slots the work last submitted runs, for a tool to name a hung one
    int slots_run_count;

    gpu_image back_buffer, feed_image, noise_volume, caption_atlas, audio;
    gpu_buffer audio_staging; // the frame's audio texels on their way in
    gpu_image column_copy; // the column on its way to a smaller place in the back buffer; made when first asked
    gpu_buffer constants;
    gpu_buffer readback[2]; // without a window, alternately: one is read while the next frame is drawn
    int readback_last;
    gpu_buffer overlay; // the authoring tools' text panels on their way into the back buffer
    VkDeviceSize overlay_bytes;
    VkSampler sampler;
    VkDescriptorSetLayout set_layout;
    VkPipelineLayout pipeline_layout;
    VkDescriptorSet descriptors;

    VkSurfaceKHR surface; // null without a window
    VkSwapchainKHR swapchain;
    VkExtent2D swapchain_extent;
    bool window_minimised;           // 0 x 0: frames are drawn but not shown
    bool swapchain_for_suboptimal;   // made because the one before was suboptimal
    bool acquired_suboptimal;
    uint32_t swapchain_image_count;
    VkImage swapchain_images[max_swapchain_images];
    VkSemaphore image_acquired, image_drawn[max_swapchain_images];
};
extern gpu_record gpu;

// A failed call after start-up leaves nothing to show: report it and exit.
void check(VkResult result, const char* what);
// Waits for the fence; in steps, calling device_wait_hook between them, when one is set.
void wait_for_fence(VkFence fence, const char* what);

gpu_buffer create_buffer(VkDeviceSize bytes, VkBufferUsageFlags usage, buffer_memory where);
// After the host wrote a buffer / before it reads what the device wrote there.
void flush_buffer(const gpu_buffer& b);
void invalidate_buffer(const gpu_buffer& b);
void destroy_buffer(const gpu_buffer& b);
gpu_image create_image(VkImageType type, VkFormat format, VkExtent3D extent, VkImageUsageFlags usage);
// A storage image of the show's format, 1080 high, black and in the general layout for good.
gpu_image black_storage_image(uint32_t width);
void image_barrier(VkCommandBuffer commands, VkImage image, VkPipelineStageFlags from_stage, VkAccessFlags from_access,
                   VkImageLayout from, VkPipelineStageFlags to_stage, VkAccessFlags to_access, VkImageLayout to);
// Points one binding of the descriptor set at an image or sampler, or at a buffer.
void bind_descriptor(uint32_t binding, VkDescriptorType type, const VkDescriptorImageInfo* image,
                     const VkDescriptorBufferInfo* buffer);
void bind_image(uint32_t binding, VkDescriptorType type, VkImageView view, VkImageLayout layout);

// Commands run once at start-up, waited for.
VkCommandBuffer begin_setup();
void end_setup(VkCommandBuffer commands);
// Copies `bytes` into a fresh image and leaves it ready for shader reads.
void upload_image(const gpu_image& target, VkExtent3D extent, const void* bytes, VkDeviceSize size);
// The audio texture, silent, bound, with its staging buffer for each frame's texels.
void create_audio_texture();

// Adds the build folder's lavapipe (and the libdrm it needs) to the loader's
// drivers when it is there and the system has no GPU.
void offer_bundled_driver();
// ", driver name and version", and whose lavapipe it is where that matters.
std::string driver_description(VkPhysicalDevice device);

// Whether `device` offers a format and usage the back buffer can be blitted onto the window with.
bool find_surface_format(VkPhysicalDevice device, VkSurfaceFormatKHR* chosen);
void create_swapchain();
// Acquires a swap-chain image and records the back buffer's blit onto it;
// no_window_image while the window is minimised.
uint32_t blit_to_window();
// Submits the recorded frame and presents the image.
void show_window_image(uint32_t index);

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "graphics/authoring.h"
#include "graphics/gpu.h"

namespace {
void memory_barrier(VkCommandBuffer commands, VkPipelineStageFlags from, VkAccessFlags written, VkPipelineStageFlags to,
                    VkAccessFlags read)
{
    const VkMemoryBarrier barrier = {.sType = VK_STRUCTURE_TYPE_MEMORY_BARRIER, .srcAccessMask = written, .dstAccessMask = read};
    vkCmdPipelineBarrier(commands, from, to, 0, 1, &barrier, 0, nullptr, 0, nullptr);
}

// f, finite and at least 0, as a half float rounded to nearest; below the
// smallest normal half it is 0.
uint16_t to_half(float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    const int exponent = int(bits >> 23 & 0xff) - 127 + 15;
    if (exponent <= 0)
        return 0;
    if (exponent >= 31)
        return 0x7c00;
    const uint32_t mantissa = bits & 0x7fffff;
    return uint16_t((uint32_t(exponent) << 10 | mantissa >> 13) + (mantissa >> 12 & 1));
}

// A frame's passes and present go into one command buffer, submitted once.
void begin_frame()
{
    if (gpu.recording)
        return;
    wait_for_fence(gpu.frame_done, "waiting for the previous frame");
    check(vkResetFences(gpu.device, 1, &gpu.frame_done), "resetting the frame fence");
    gpu.slots_run_count = 0;
    const VkCommandBufferBeginInfo begin = {.sType = VK_STRUCTURE_TYPE_COMMAND_BUFFER_BEGIN_INFO,
                                            .flags = VK_COMMAND_BUFFER_USAGE_ONE_TIME_SUBMIT_BIT};
    check(vkBeginCommandBuffer(gpu.frame, &begin), "recording a frame");
    vkCmdBindDescriptorSets(gpu.frame, VK_PIPELINE_BIND_POINT_COMPUTE, gpu.pipeline_layout, 0, 1, &gpu.descriptors, 0, nullptr);
    gpu.recording = true;
}
}

void upload_audio_texture(const float* texels)
{
    begin_frame(); // the previous frame is done with the staging buffer
    auto* halves = static_cast<uint16_t*>(gpu.audio_staging.mapped);
    for (int i = 0; i < audio_texels; ++i)
        halves[i] = to_half(texels[i]);
    flush_buffer(gpu.audio_staging);
    image_barrier(gpu.frame, gpu.audio.image, VK_PIPELINE_STAGE_COMPUTE_SHADER_BIT, 0,
                  VK_IMAGE_LAYOUT_SHADER_READ_ONLY_OPTIMAL, VK_PIPELINE_STAGE_TRANSFER_BIT, VK_ACCESS_TRANSFER_WRITE_BIT,
                  VK_IMAGE_LAYOUT_TRANSFER_DST_OPTIMAL);
    const VkBufferImageCopy region = {
        .imageSubresource = {.aspectMask = VK_IMAGE_ASPECT_COLOR_BIT, .layerCount = 1},
        .imageExtent = {.width = audio_bins, .height = audio_rows, .depth = 1},
    };
    vkCmdCopyBufferToImage(gpu.frame, gpu.audio_staging.buffer, gpu.audio.image, VK_IMAGE_LAYOUT_TRANSFER_DST_OPTIMAL, 1,
                           &region);
    image_barrier(gpu.frame, gpu.audio.image, VK_PIPELINE_STAGE_TRANSFER_BIT, VK_ACCESS_TRANSFER_WRITE_BIT,
                  VK_IMAGE_LAYOUT_TRANSFER_DST_OPTIMAL, VK_PIPELINE_STAGE_COMPUTE_SHADER_BIT, VK_ACCESS_SHADER_READ_BIT,
                  VK_IMAGE_LAYOUT_SHADER_READ_ONLY_OPTIMAL);
}

void run_pass(int slot)
{
    begin_frame();
    // The upload waits for the passes before it to stop reading the constants.
    memory_barrier(gpu.frame, VK_PIPELINE_STAGE_COMPUTE_SHADER_BIT, 0, VK_PIPELINE_STAGE_TRANSFER_BIT, 0);
    vkCmdUpdateBuffer(gpu.frame, gpu.constants.buffer, 0, constant_bytes_read, frame_constants);
    memory_barrier(gpu.frame, VK_PIPELINE_STAGE_TRANSFER_BIT | VK_PIPELINE_STAGE_COMPUTE_SHADER_BIT,
                   VK_ACCESS_TRANSFER_WRITE_BIT | VK_ACCESS_SHADER_WRITE_BIT, VK_PIPELINE_STAGE_COMPUTE_SHADER_BIT,
                   VK_ACCESS_UNIFORM_READ_BIT | VK_ACCESS_SHADER_READ_BIT | VK_ACCESS_SHADER_WRITE_BIT);
    const gpu_shader* shader = shader_table[slot];
    // A scale not built yet draws at full scale; the show asks only for built ones.
    const int k = shader->pipeline[gpu.preview_index] ? gpu.preview_index : 0;
    const uint32_t scale = uint32_t(preview_scale_of(k));
    vkCmdBindPipeline(gpu.frame, VK_PIPELINE_BIND_POINT_COMPUTE, shader->pipeline[k]);
    vkCmdDispatch(gpu.frame, (group_count_x + scale - 1) / scale, (group_count_y + scale - 1) / scale, 1);
    if (shader->upscale[k]) { // the composite's blurred blocks back to the column's full size
        memory_barrier(gpu.frame, VK_PIPELINE_STAGE_COMPUTE_SHADER_BIT, VK_ACCESS_SHADER_WRITE_BIT,
                       VK_PIPELINE_STAGE_COMPUTE_SHADER_BIT, VK_ACCESS_SHADER_READ_BIT);
        vkCmdBindPipeline(gpu.frame, VK_PIPELINE_BIND_POINT_COMPUTE, shader->upscale[k]);
        vkCmdDispatch(gpu.frame, upscale_groups(column_width, scale), upscale_groups(frame_height, scale), 1);
    }
    if (std::find(gpu.slots_run, gpu.slots_run + gpu.slots_run_count, slot) == gpu.slots_run + gpu.slots_run_count)
        gpu.slots_run[gpu.slots_run_count++] = slot;
}

void fit_column(int x, int y, int width, int height)
{
    const int left = (W - column_width) / 2;
    if (width <= 0 || height <= 0 || (x == left && y == 0 && width == column_width && height == frame_height))
        return;
    begin_frame();
    if (!gpu.column_copy.image)
        gpu.column_copy = black_storage_image(column_width);
    const VkImage back = gpu.back_buffer.image, copy = gpu.column_copy.image;
    // A blit may not read and write overlapping parts of one image: the column goes out and comes back.
    memory_barrier(gpu.frame, VK_PIPELINE_STAGE_COMPUTE_SHADER_BIT | VK_PIPELINE_STAGE_TRANSFER_BIT,
                   VK_ACCESS_SHADER_WRITE_BIT | VK_ACCESS_TRANSFER_WRITE_BIT, VK_PIPELINE_STAGE_TRANSFER_BIT,
                   VK_ACCESS_TRANSFER_READ_BIT | VK_ACCESS_TRANSFER_WRITE_BIT);
    const VkImageSubresourceLayers colour = {.aspectMask = VK_IMAGE_ASPECT_COLOR_BIT, .layerCount = 1};
    const VkImageCopy out = {.srcSubresource = colour, .srcOffset = {.x = left}, .dstSubresource = colour,
                             .extent = {.width = column_width, .height = frame_height, .depth = 1}};
    vkCmdCopyImage(gpu.frame, back, VK_IMAGE_LAYOUT_GENERAL, copy, VK_IMAGE_LAYOUT_GENERAL, 1, &out);
    memory_barrier(gpu.frame, VK_PIPELINE_STAGE_TRANSFER_BIT, VK_ACCESS_TRANSFER_WRITE_BIT, VK_PIPELINE_STAGE_TRANSFER_BIT,
                   VK_ACCESS_TRANSFER_READ_BIT | VK_ACCESS_TRANSFER_WRITE_BIT);
    const VkImageBlit back_in = {
        .srcSubresource = colour,
        .srcOffsets = {{}, {.x = column_width, .y = frame_height, .z = 1}},
        .dstSubresource = colour,
        .dstOffsets = {{.x = x, .y = y}, {.x = x + width, .y = y + height, .z = 1}},
    };
    vkCmdBlitImage(gpu.frame, copy, VK_IMAGE_LAYOUT_GENERAL, back, VK_IMAGE_LAYOUT_GENERAL, 1, &back_in, VK_FILTER_LINEAR);
    memory_barrier(gpu.frame, VK_PIPELINE_STAGE_TRANSFER_BIT, VK_ACCESS_TRANSFER_WRITE_BIT,
                   VK_PIPELINE_STAGE_COMPUTE_SHADER_BIT | VK_PIPELINE_STAGE_TRANSFER_BIT,
                   VK_ACCESS_SHADER_READ_BIT | VK_ACCESS_SHADER_WRITE_BIT | VK_ACCESS_TRANSFER_READ_BIT |
                       VK_ACCESS_TRANSFER_WRITE_BIT);
}

void draw_overlay(const unsigned char* grey, const overlay_rect* rects, int count)
{
    begin_frame(); // the previous frame is done with the staging buffer
    const VkDeviceSize needed = VkDeviceSize(W) * frame_height * 4;
    if (gpu.overlay_bytes < needed) {
        if (gpu.overlay.buffer)
            destroy_buffer(gpu.overlay);
        gpu.overlay = create_buffer(needed, VK_BUFFER_USAGE_TRANSFER_SRC_BIT, buffer_memory::host_writes);
        gpu.overlay_bytes = needed;
    }
    const auto ten_bits = [](uint32_t c) { return (c * 1023 + 127) / 255; };
    static uint32_t level[256]; // grey to the back buffer's 10-bit white, opaque
    if (!level[255])
        for (uint32_t g = 0; g < 256; ++g)
            level[g] = ten_bits(g) | ten_bits(g) << 10 | ten_bits(g) << 20 | 3u << 30;
    uint32_t colour[256];
    memory_barrier(gpu.frame, VK_PIPELINE_STAGE_COMPUTE_SHADER_BIT, VK_ACCESS_SHADER_WRITE_BIT, VK_PIPELINE_STAGE_TRANSFER_BIT,
                   VK_ACCESS_TRANSFER_WRITE_BIT);
    auto* words = static_cast<uint32_t*>(gpu.overlay.mapped);
    VkDeviceSize at = 0;
    for (int k = 0; k < count; ++k) {
        const overlay_rect r = rects[k];
        const VkDeviceSize area = VkDeviceSize(r.width) * r.height;
        if (r.x < 0 || r.y < 0 || r.width <= 0 || r.height <= 0 || r.x + r.width > W || r.y + r.height > frame_height ||
            (at + area) * 4 > needed)
            continue;
        if (r.palette)
            for (int c = 0; c < 256; ++c)
                colour[c] = ten_bits(r.palette[c] >> 16 & 255) | ten_bits(r.palette[c] >> 8 & 255) << 10 |
                            ten_bits(r.palette[c] & 255) << 20 | 3u << 30;
        const uint32_t* const words_of = r.palette ? colour : level;
        for (int y = 0; y < r.height; ++y)
            for (int x = 0; x < r.width; ++x)
                words[at + VkDeviceSize(y) * r.width + x] = words_of[grey[(r.y + y) * W + r.x + x]];
        const VkBufferImageCopy region = {
            .bufferOffset = at * 4,
            .imageSubresource = {.aspectMask = VK_IMAGE_ASPECT_COLOR_BIT, .layerCount = 1},
            .imageOffset = {.x = r.x, .y = r.y},
            .imageExtent = {.width = uint32_t(r.width), .height = uint32_t(r.height), .depth = 1},
        };
        vkCmdCopyBufferToImage(gpu.frame, gpu.overlay.buffer, gpu.back_buffer.image, VK_IMAGE_LAYOUT_GENERAL, 1, &region);
        at += area;
    }
    flush_buffer(gpu.overlay);
    // Present's barrier waits on compute; this hands the copies on to it.
    memory_barrier(gpu.frame, VK_PIPELINE_STAGE_TRANSFER_BIT, VK_ACCESS_TRANSFER_WRITE_BIT,
                   VK_PIPELINE_STAGE_COMPUTE_SHADER_BIT | VK_PIPELINE_STAGE_TRANSFER_BIT,
                   VK_ACCESS_SHADER_READ_BIT | VK_ACCESS_SHADER_WRITE_BIT | VK_ACCESS_TRANSFER_READ_BIT);
}

void present()
{
    begin_frame();
    const VkImage back = gpu.back_buffer.image;
    image_barrier(gpu.frame, back, VK_PIPELINE_STAGE_COMPUTE_SHADER_BIT, VK_ACCESS_SHADER_WRITE_BIT, VK_IMAGE_LAYOUT_GENERAL,
                  VK_PIPELINE_STAGE_TRANSFER_BIT, VK_ACCESS_TRANSFER_READ_BIT, VK_IMAGE_LAYOUT_TRANSFER_SRC_OPTIMAL);
    uint32_t window_image = 0;
    if (gpu.surface) {
        window_image = blit_to_window();
    } else {
        const VkBufferImageCopy region = {
            .imageSubresource = {.aspectMask = VK_IMAGE_ASPECT_COLOR_BIT, .layerCount = 1},
            .imageExtent = {.width = uint32_t(W), .height = frame_height, .depth = 1},
        };
        vkCmdCopyImageToBuffer(gpu.frame, back, VK_IMAGE_LAYOUT_TRANSFER_SRC_OPTIMAL, gpu.readback[1 - gpu.readback_last].buffer, 1, &region);
        memory_barrier(gpu.frame, VK_PIPELINE_STAGE_TRANSFER_BIT, VK_ACCESS_TRANSFER_WRITE_BIT, VK_PIPELINE_STAGE_HOST_BIT,
                       VK_ACCESS_HOST_READ_BIT);
    }
    image_barrier(gpu.frame, back, VK_PIPELINE_STAGE_TRANSFER_BIT, 0, VK_IMAGE_LAYOUT_TRANSFER_SRC_OPTIMAL,
                  VK_PIPELINE_STAGE_COMPUTE_SHADER_BIT, VK_ACCESS_SHADER_WRITE_BIT, VK_IMAGE_LAYOUT_GENERAL);
    check(vkEndCommandBuffer(gpu.frame), "recording a frame");
    gpu.recording = false;
    if (gpu.surface) {
        show_window_image(window_image);
        return;
    }
    const VkSubmitInfo submit = {.sType = VK_STRUCTURE_TYPE_SUBMIT_INFO, .commandBufferCount = 1, .pCommandBuffers = &gpu.frame};
    check(vkQueueSubmit(gpu.queue, 1, &submit, gpu.frame_done), "submitting a frame");
    wait_for_fence(gpu.frame_done, "drawing a frame");
    gpu.readback_last = 1 - gpu.readback_last;
    invalidate_buffer(gpu.readback[gpu.readback_last]);
}

const unsigned* presented_pixels() { return static_cast<const unsigned*>(gpu.readback[gpu.readback_last].mapped); }

const unsigned* read_back_buffer()
{
    begin_frame();
    gpu_buffer& out = gpu.readback[gpu.surface ? 0 : 1 - gpu.readback_last];
    if (!out.buffer)
        out = create_buffer(VkDeviceSize(W) * frame_height * 4, VK_BUFFER_USAGE_TRANSFER_DST_BIT, buffer_memory::host_reads);
    memory_barrier(gpu.frame, VK_PIPELINE_STAGE_COMPUTE_SHADER_BIT | VK_PIPELINE_STAGE_TRANSFER_BIT,
                   VK_ACCESS_SHADER_WRITE_BIT | VK_ACCESS_TRANSFER_WRITE_BIT, VK_PIPELINE_STAGE_TRANSFER_BIT,
                   VK_ACCESS_TRANSFER_READ_BIT);
    const VkBufferImageCopy region = {
        .imageSubresource = {.aspectMask = VK_IMAGE_ASPECT_COLOR_BIT, .layerCount = 1},
        .imageExtent = {.width = uint32_t(W), .height = frame_height, .depth = 1},
    };
    vkCmdCopyImageToBuffer(gpu.frame, gpu.back_buffer.image, VK_IMAGE_LAYOUT_GENERAL, out.buffer, 1, &region);
    // The rest of the frame may write the back buffer again only after the copy.
    memory_barrier(gpu.frame, VK_PIPELINE_STAGE_TRANSFER_BIT, VK_ACCESS_TRANSFER_WRITE_BIT | VK_ACCESS_TRANSFER_READ_BIT,
                   VK_PIPELINE_STAGE_HOST_BIT, VK_ACCESS_HOST_READ_BIT);
    check(vkEndCommandBuffer(gpu.frame), "recording a frame");
    gpu.recording = false;
    const VkSubmitInfo submit = {.sType = VK_STRUCTURE_TYPE_SUBMIT_INFO, .commandBufferCount = 1, .pCommandBuffers = &gpu.frame};
    check(vkQueueSubmit(gpu.queue, 1, &submit, gpu.frame_done), "submitting a frame");
    wait_for_fence(gpu.frame_done, "reading the back buffer");
    invalidate_buffer(out);
    return static_cast<const unsigned*>(out.mapped);
}

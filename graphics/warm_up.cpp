#include <initializer_list>

#include "graphics/device.h"
#include "graphics/gpu.h"

namespace {
// What touches the show's images: the passes, and the clears and copies.
constexpr VkPipelineStageFlags image_stages = VK_PIPELINE_STAGE_COMPUTE_SHADER_BIT | VK_PIPELINE_STAGE_TRANSFER_BIT;
constexpr VkAccessFlags image_writes = VK_ACCESS_SHADER_WRITE_BIT | VK_ACCESS_TRANSFER_WRITE_BIT;
constexpr VkAccessFlags image_uses = image_writes | VK_ACCESS_SHADER_READ_BIT | VK_ACCESS_TRANSFER_READ_BIT |
                                     VK_ACCESS_UNIFORM_READ_BIT;

// Copies the show image `image` (`width` x 1080, left in the general layout)
// to or from `buffer`.
void copy(VkCommandBuffer commands, VkImage image, uint32_t width, VkBuffer buffer, bool to_buffer)
{
    const VkImageLayout layout = to_buffer ? VK_IMAGE_LAYOUT_TRANSFER_SRC_OPTIMAL : VK_IMAGE_LAYOUT_TRANSFER_DST_OPTIMAL;
    const VkAccessFlags access = to_buffer ? VK_ACCESS_TRANSFER_READ_BIT : VK_ACCESS_TRANSFER_WRITE_BIT;
    image_barrier(commands, image, image_stages, image_writes, VK_IMAGE_LAYOUT_GENERAL, VK_PIPELINE_STAGE_TRANSFER_BIT, access,
                  layout);
    const VkBufferImageCopy region = {
        .imageSubresource = {.aspectMask = VK_IMAGE_ASPECT_COLOR_BIT, .layerCount = 1},
        .imageExtent = {.width = width, .height = frame_height, .depth = 1},
    };
    if (to_buffer)
        vkCmdCopyImageToBuffer(commands, image, layout, buffer, 1, &region);
    else
        vkCmdCopyBufferToImage(commands, buffer, image, layout, 1, &region);
    image_barrier(commands, image, VK_PIPELINE_STAGE_TRANSFER_BIT, access, layout, image_stages, image_uses,
                  VK_IMAGE_LAYOUT_GENERAL);
}

void compute_barrier(VkCommandBuffer commands)
{
    const VkMemoryBarrier barrier = {.sType = VK_STRUCTURE_TYPE_MEMORY_BARRIER,
                                     .srcAccessMask = image_writes,
                                     .dstAccessMask = image_uses};
    vkCmdPipelineBarrier(commands, image_stages, image_stages, 0, 1, &barrier, 0, nullptr, 0, nullptr);
}
}

// A driver may build a pipeline's machine code only at its first dispatch
// (lavapipe does), which would stall the frame where an entry first shows.
// One group of each shader runs here instead; the images they write are put
// back as they were, so no frame sees the difference.
void warm_up_shaders(const bool* which)
{
    const VkBufferUsageFlags usage = VK_BUFFER_USAGE_TRANSFER_SRC_BIT | VK_BUFFER_USAGE_TRANSFER_DST_BIT;
    const gpu_buffer back = create_buffer(VkDeviceSize(W) * frame_height * 4, usage, buffer_memory::device);
    const gpu_buffer feed = create_buffer(VkDeviceSize(column_width) * frame_height * 4, usage, buffer_memory::device);
    VkCommandBuffer commands = begin_setup();
    copy(commands, gpu.back_buffer.image, uint32_t(W), back.buffer, true);
    copy(commands, gpu.feed_image.image, column_width, feed.buffer, true);
    vkCmdUpdateBuffer(commands, gpu.constants.buffer, 0, constant_bytes_read, frame_constants);
    vkCmdBindDescriptorSets(commands, VK_PIPELINE_BIND_POINT_COMPUTE, gpu.pipeline_layout, 0, 1, &gpu.descriptors, 0, nullptr);
    gpu.slots_run_count = 0;
    for (int slot = 0; slot < shader_slots; ++slot) {
        gpu_shader* shader = shader_table[slot];
        if (!shader || (which && !which[slot]))
            continue;
        gpu.slots_run[gpu.slots_run_count++] = slot;
        for (int k = 0; k < preview_scale_count; ++k)
            for (VkPipeline pipeline : {shader->pipeline[k], shader->upscale[k]}) {
                if (!pipeline)
                    continue;
                compute_barrier(commands);
                vkCmdBindPipeline(commands, VK_PIPELINE_BIND_POINT_COMPUTE, pipeline);
                vkCmdDispatch(commands, 1, 1, 1);
            }
    }
    copy(commands, gpu.back_buffer.image, uint32_t(W), back.buffer, false);
    copy(commands, gpu.feed_image.image, column_width, feed.buffer, false);
    end_setup(commands);
    destroy_buffer(back);
    destroy_buffer(feed);
}

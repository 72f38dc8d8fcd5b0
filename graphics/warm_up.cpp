#include <initializer_list>

#include "graphics/device.h"
#include "graphics/gpu.h"

namespace {
void copy_image(VkCommandBuffer commands, VkImage from, VkImage to, uint32_t width)
{
    const VkImageCopy region = {
        .srcSubresource = {.aspectMask = VK_IMAGE_ASPECT_COLOR_BIT, .layerCount = 1},
        .dstSubresource = {.aspectMask = VK_IMAGE_ASPECT_COLOR_BIT, .layerCount = 1},
        .extent = {.width = width, .height = frame_height, .depth = 1},
    };
    vkCmdCopyImage(commands, from, VK_IMAGE_LAYOUT_GENERAL, to, VK_IMAGE_LAYOUT_GENERAL, 1, &region);
}

void all_commands_barrier(VkCommandBuffer commands)
{
    const VkMemoryBarrier barrier = {.sType = VK_STRUCTURE_TYPE_MEMORY_BARRIER,
                                     .srcAccessMask = VK_ACCESS_MEMORY_WRITE_BIT,
                                     .dstAccessMask = VK_ACCESS_MEMORY_READ_BIT | VK_ACCESS_MEMORY_WRITE_BIT};
    vkCmdPipelineBarrier(commands, VK_PIPELINE_STAGE_ALL_COMMANDS_BIT, VK_PIPELINE_STAGE_ALL_COMMANDS_BIT, 0, 1, &barrier, 0,
                         nullptr, 0, nullptr);
}

void destroy(const gpu_image& image)
{
    vkDestroyImageView(gpu.device, image.view, nullptr);
    vkDestroyImage(gpu.device, image.image, nullptr);
    vkFreeMemory(gpu.device, image.memory, nullptr);
}
}

// A driver may build a pipeline's machine code only at its first dispatch
// (lavapipe does), which would stall the frame where an entry first shows.
// One group of each shader runs here instead; the images they write are put
// back as they were, so no frame sees the difference.
void warm_up_pipelines()
{
    const VkImageUsageFlags usage = VK_IMAGE_USAGE_TRANSFER_SRC_BIT | VK_IMAGE_USAGE_TRANSFER_DST_BIT;
    const gpu_image back = create_image(VK_IMAGE_TYPE_2D, show_image_format,
                                        {.width = uint32_t(W), .height = frame_height, .depth = 1}, usage);
    const gpu_image feed = create_image(VK_IMAGE_TYPE_2D, show_image_format,
                                        {.width = column_width, .height = frame_height, .depth = 1}, usage);
    VkCommandBuffer commands = begin_setup();
    for (VkImage image : {back.image, feed.image})
        image_barrier(commands, image, VK_PIPELINE_STAGE_TOP_OF_PIPE_BIT, 0, VK_IMAGE_LAYOUT_UNDEFINED,
                      VK_PIPELINE_STAGE_TRANSFER_BIT, VK_ACCESS_TRANSFER_WRITE_BIT, VK_IMAGE_LAYOUT_GENERAL);
    copy_image(commands, gpu.back_buffer.image, back.image, uint32_t(W));
    copy_image(commands, gpu.feed_image.image, feed.image, column_width);
    vkCmdUpdateBuffer(commands, gpu.constants.buffer, 0, sizeof randdata.frame_constants, frame_constants);
    vkCmdBindDescriptorSets(commands, VK_PIPELINE_BIND_POINT_COMPUTE, gpu.pipeline_layout, 0, 1, &gpu.descriptors, 0, nullptr);
    for (gpu_shader* shader : shader_table) {
        if (!shader)
            continue;
        all_commands_barrier(commands);
        vkCmdBindPipeline(commands, VK_PIPELINE_BIND_POINT_COMPUTE, shader->pipeline);
        vkCmdDispatch(commands, 1, 1, 1);
    }
    all_commands_barrier(commands);
    copy_image(commands, back.image, gpu.back_buffer.image, uint32_t(W));
    copy_image(commands, feed.image, gpu.feed_image.image, column_width);
    all_commands_barrier(commands);
    end_setup(commands);
    destroy(back);
    destroy(feed);
}

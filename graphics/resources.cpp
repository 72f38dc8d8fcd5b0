#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "graphics/atlas.h"
#include "graphics/device.h"
#include "graphics/gpu.h"

namespace {
VkDeviceMemory allocate(VkMemoryRequirements needs, buffer_memory where, bool* is_coherent = nullptr)
{
    VkPhysicalDeviceMemoryProperties memory;
    vkGetPhysicalDeviceMemoryProperties(gpu.physical, &memory);
    const int type = choose_memory_type(memory, needs.memoryTypeBits, where);
    if (type < 0) {
        std::fprintf(stderr, "swipemix: the device has no memory for %s (allowed types 0x%x)\n",
                     where == buffer_memory::device ? "its images and buffers" : "sharing with the host",
                     needs.memoryTypeBits);
        std::exit(1);
    }
    if (is_coherent)
        *is_coherent = memory.memoryTypes[type].propertyFlags & VK_MEMORY_PROPERTY_HOST_COHERENT_BIT;
    const VkMemoryAllocateInfo info = {
        .sType = VK_STRUCTURE_TYPE_MEMORY_ALLOCATE_INFO,
        .allocationSize = needs.size,
        .memoryTypeIndex = uint32_t(type),
    };
    VkDeviceMemory allocation;
    check(vkAllocateMemory(gpu.device, &info, nullptr, &allocation), "allocating GPU memory");
    return allocation;
}
}

void destroy_buffer(const gpu_buffer& b)
{
    vkDestroyBuffer(gpu.device, b.buffer, nullptr);
    vkFreeMemory(gpu.device, b.memory, nullptr);
}

gpu_buffer create_buffer(VkDeviceSize bytes, VkBufferUsageFlags usage, buffer_memory where)
{
    gpu_buffer b = {};
    const VkBufferCreateInfo info = {
        .sType = VK_STRUCTURE_TYPE_BUFFER_CREATE_INFO,
        .size = bytes,
        .usage = usage,
        .sharingMode = VK_SHARING_MODE_EXCLUSIVE,
    };
    check(vkCreateBuffer(gpu.device, &info, nullptr, &b.buffer), "creating a buffer");
    VkMemoryRequirements needs;
    vkGetBufferMemoryRequirements(gpu.device, b.buffer, &needs);
    b.memory = allocate(needs, where, &b.coherent);
    check(vkBindBufferMemory(gpu.device, b.buffer, b.memory, 0), "binding buffer memory");
    if (where != buffer_memory::device)
        check(vkMapMemory(gpu.device, b.memory, 0, VK_WHOLE_SIZE, 0, &b.mapped), "mapping a buffer");
    return b;
}

void flush_buffer(const gpu_buffer& b)
{
    const VkMappedMemoryRange range = {.sType = VK_STRUCTURE_TYPE_MAPPED_MEMORY_RANGE, .memory = b.memory, .size = VK_WHOLE_SIZE};
    if (!b.coherent)
        check(vkFlushMappedMemoryRanges(gpu.device, 1, &range), "handing host writes to the device");
}

void invalidate_buffer(const gpu_buffer& b)
{
    const VkMappedMemoryRange range = {.sType = VK_STRUCTURE_TYPE_MAPPED_MEMORY_RANGE, .memory = b.memory, .size = VK_WHOLE_SIZE};
    if (!b.coherent)
        check(vkInvalidateMappedMemoryRanges(gpu.device, 1, &range), "reading what the device wrote");
}

gpu_image create_image(VkImageType type, VkFormat format, VkExtent3D extent, VkImageUsageFlags usage)
{
    gpu_image i = {};
    const VkImageCreateInfo info = {
        .sType = VK_STRUCTURE_TYPE_IMAGE_CREATE_INFO,
        .imageType = type,
        .format = format,
        .extent = extent,
        .mipLevels = 1,
        .arrayLayers = 1,
        .samples = VK_SAMPLE_COUNT_1_BIT,
        .tiling = VK_IMAGE_TILING_OPTIMAL,
        .usage = usage,
        .sharingMode = VK_SHARING_MODE_EXCLUSIVE,
        .initialLayout = VK_IMAGE_LAYOUT_UNDEFINED,
    };
    check(vkCreateImage(gpu.device, &info, nullptr, &i.image), "creating an image");
    VkMemoryRequirements needs;
    vkGetImageMemoryRequirements(gpu.device, i.image, &needs);
    i.memory = allocate(needs, buffer_memory::device);
    check(vkBindImageMemory(gpu.device, i.image, i.memory, 0), "binding image memory");
    const VkImageViewCreateInfo view = {
        .sType = VK_STRUCTURE_TYPE_IMAGE_VIEW_CREATE_INFO,
        .image = i.image,
        .viewType = type == VK_IMAGE_TYPE_3D ? VK_IMAGE_VIEW_TYPE_3D : VK_IMAGE_VIEW_TYPE_2D,
        .format = format,
        .subresourceRange = {.aspectMask = VK_IMAGE_ASPECT_COLOR_BIT, .levelCount = 1, .layerCount = 1},
    };
    check(vkCreateImageView(gpu.device, &view, nullptr, &i.view), "creating an image view");
    return i;
}

void image_barrier(VkCommandBuffer commands, VkImage image, VkPipelineStageFlags from_stage, VkAccessFlags from_access,
                   VkImageLayout from, VkPipelineStageFlags to_stage, VkAccessFlags to_access, VkImageLayout to)
{
    const VkImageMemoryBarrier barrier = {
        .sType = VK_STRUCTURE_TYPE_IMAGE_MEMORY_BARRIER,
        .srcAccessMask = from_access,
        .dstAccessMask = to_access,
        .oldLayout = from,
        .newLayout = to,
        .srcQueueFamilyIndex = VK_QUEUE_FAMILY_IGNORED,
        .dstQueueFamilyIndex = VK_QUEUE_FAMILY_IGNORED,
        .image = image,
        .subresourceRange = {.aspectMask = VK_IMAGE_ASPECT_COLOR_BIT, .levelCount = 1, .layerCount = 1},
    };
    vkCmdPipelineBarrier(commands, from_stage, to_stage, 0, 0, nullptr, 0, nullptr, 1, &barrier);
}

void bind_descriptor(uint32_t binding, VkDescriptorType type, const VkDescriptorImageInfo* image,
                     const VkDescriptorBufferInfo* buffer)
{
    const VkWriteDescriptorSet write = {
        .sType = VK_STRUCTURE_TYPE_WRITE_DESCRIPTOR_SET,
        .dstSet = gpu.descriptors,
        .dstBinding = binding,
        .descriptorCount = 1,
        .descriptorType = type,
        .pImageInfo = image,
        .pBufferInfo = buffer,
    };
    vkUpdateDescriptorSets(gpu.device, 1, &write, 0, nullptr);
}

void bind_image(uint32_t binding, VkDescriptorType type, VkImageView view, VkImageLayout layout)
{
    const VkDescriptorImageInfo image = {.imageView = view, .imageLayout = layout};
    bind_descriptor(binding, type, &image, nullptr);
}

VkCommandBuffer begin_setup()
{
    const VkCommandBufferAllocateInfo info = {
        .sType = VK_STRUCTURE_TYPE_COMMAND_BUFFER_ALLOCATE_INFO,
        .commandPool = gpu.command_pool,
        .level = VK_COMMAND_BUFFER_LEVEL_PRIMARY,
        .commandBufferCount = 1,
    };
    VkCommandBuffer commands;
    check(vkAllocateCommandBuffers(gpu.device, &info, &commands), "setup command buffer");
    const VkCommandBufferBeginInfo begin = {.sType = VK_STRUCTURE_TYPE_COMMAND_BUFFER_BEGIN_INFO,
                                            .flags = VK_COMMAND_BUFFER_USAGE_ONE_TIME_SUBMIT_BIT};
    check(vkBeginCommandBuffer(commands, &begin), "recording setup commands");
    return commands;
}

void end_setup(VkCommandBuffer commands)
{
    check(vkEndCommandBuffer(commands), "recording setup commands");
    const VkSubmitInfo submit = {.sType = VK_STRUCTURE_TYPE_SUBMIT_INFO, .commandBufferCount = 1, .pCommandBuffers = &commands};
    const VkFenceCreateInfo fence_info = {.sType = VK_STRUCTURE_TYPE_FENCE_CREATE_INFO};
    VkFence done;
    check(vkCreateFence(gpu.device, &fence_info, nullptr, &done), "creating a fence");
    check(vkQueueSubmit(gpu.queue, 1, &submit, done), "submitting setup commands");
    wait_for_fence(done, "waiting for setup commands");
    vkDestroyFence(gpu.device, done, nullptr);
    vkFreeCommandBuffers(gpu.device, gpu.command_pool, 1, &commands);
}

void upload_image(const gpu_image& target, VkExtent3D extent, const void* bytes, VkDeviceSize size)
{
    gpu_buffer staging = create_buffer(size, VK_BUFFER_USAGE_TRANSFER_SRC_BIT, buffer_memory::host_writes);
    std::memcpy(staging.mapped, bytes, size);
    flush_buffer(staging);
    VkCommandBuffer commands = begin_setup();
    image_barrier(commands, target.image, VK_PIPELINE_STAGE_TOP_OF_PIPE_BIT, 0, VK_IMAGE_LAYOUT_UNDEFINED,
                  VK_PIPELINE_STAGE_TRANSFER_BIT, VK_ACCESS_TRANSFER_WRITE_BIT, VK_IMAGE_LAYOUT_TRANSFER_DST_OPTIMAL);
    const VkBufferImageCopy region = {
        .imageSubresource = {.aspectMask = VK_IMAGE_ASPECT_COLOR_BIT, .layerCount = 1},
        .imageExtent = extent,
    };
    vkCmdCopyBufferToImage(commands, staging.buffer, target.image, VK_IMAGE_LAYOUT_TRANSFER_DST_OPTIMAL, 1, &region);
    image_barrier(commands, target.image, VK_PIPELINE_STAGE_TRANSFER_BIT, VK_ACCESS_TRANSFER_WRITE_BIT,
                  VK_IMAGE_LAYOUT_TRANSFER_DST_OPTIMAL, VK_PIPELINE_STAGE_COMPUTE_SHADER_BIT, VK_ACCESS_SHADER_READ_BIT,
                  VK_IMAGE_LAYOUT_SHADER_READ_ONLY_OPTIMAL);
    end_setup(commands);
    destroy_buffer(staging);
}

void create_noise_volume()
{
    // Texel (x, y, z) is the four bytes at 4x + 64y + 64z: rows and slices
    // overlap, so the volume is unpacked rather than copied with pitches.
    constexpr int side = 64;
    std::unique_ptr<unsigned char[]> texels(new unsigned char[side * side * side * 4]);
    for (int z = 0; z < side; ++z)
        for (int y = 0; y < side; ++y)
            std::memcpy(&texels[((z * side + y) * side) * 4], &randdata.bytes[64 * y + 64 * z], side * 4);
    const VkExtent3D extent = {.width = side, .height = side, .depth = side};
    gpu.noise_volume = create_image(VK_IMAGE_TYPE_3D, VK_FORMAT_R8G8B8A8_SNORM, extent,
                                    VK_IMAGE_USAGE_SAMPLED_BIT | VK_IMAGE_USAGE_TRANSFER_DST_BIT);
    upload_image(gpu.noise_volume, extent, texels.get(), side * side * side * 4);
    bind_image(binding_noise, VK_DESCRIPTOR_TYPE_SAMPLED_IMAGE, gpu.noise_volume.view, VK_IMAGE_LAYOUT_SHADER_READ_ONLY_OPTIMAL);
}

void upload_atlas(const unsigned char* red)
{
    // The shaders read only red, so one byte per texel serves.
    const VkExtent3D extent = {.width = atlas_width, .height = atlas_height, .depth = 1};
    if (!gpu.caption_atlas.image) {
        gpu.caption_atlas = create_image(VK_IMAGE_TYPE_2D, VK_FORMAT_R8_UNORM, extent,
                                         VK_IMAGE_USAGE_SAMPLED_BIT | VK_IMAGE_USAGE_TRANSFER_DST_BIT);
        bind_image(binding_atlas, VK_DESCRIPTOR_TYPE_SAMPLED_IMAGE, gpu.caption_atlas.view, VK_IMAGE_LAYOUT_SHADER_READ_ONLY_OPTIMAL);
    }
    upload_image(gpu.caption_atlas, extent, red, VkDeviceSize(atlas_width) * atlas_height);
}

void create_audio_texture()
{
    const VkExtent3D extent = {.width = audio_bins, .height = audio_rows, .depth = 1};
    // Half floats: every device filters them linearly, as the sampler does.
    gpu.audio = create_image(VK_IMAGE_TYPE_2D, VK_FORMAT_R16_SFLOAT, extent,
                             VK_IMAGE_USAGE_SAMPLED_BIT | VK_IMAGE_USAGE_TRANSFER_DST_BIT);
    gpu.audio_staging = create_buffer(audio_texels * sizeof(uint16_t), VK_BUFFER_USAGE_TRANSFER_SRC_BIT,
                                      buffer_memory::host_writes);
    static const uint16_t silence[audio_texels] = {};
    upload_image(gpu.audio, extent, silence, sizeof silence);
    bind_image(binding_audio, VK_DESCRIPTOR_TYPE_SAMPLED_IMAGE, gpu.audio.view, VK_IMAGE_LAYOUT_SHADER_READ_ONLY_OPTIMAL);
}

void create_constant_buffer()
{
    gpu.constants = create_buffer(constant_bytes_read, VK_BUFFER_USAGE_UNIFORM_BUFFER_BIT | VK_BUFFER_USAGE_TRANSFER_DST_BIT,
                                  buffer_memory::device);
    const VkDescriptorBufferInfo buffer = {.buffer = gpu.constants.buffer, .offset = 0, .range = constant_bytes_read};
    bind_descriptor(binding_constants, VK_DESCRIPTOR_TYPE_UNIFORM_BUFFER, nullptr, &buffer);
}

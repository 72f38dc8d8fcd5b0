#include <algorithm>
#include <vector>

#include "graphics/authoring.h"
#include "graphics/gpu.h"

namespace {
// A 10-bit format when the surface offers one, else a plain 8-bit one: an
// sRGB target would brighten the show's values on the way.
VkSurfaceFormatKHR choose_format()
{
    uint32_t count = 0;
    vkGetPhysicalDeviceSurfaceFormatsKHR(gpu.physical, gpu.surface, &count, nullptr);
    std::vector<VkSurfaceFormatKHR> formats(count);
    vkGetPhysicalDeviceSurfaceFormatsKHR(gpu.physical, gpu.surface, &count, formats.data());
    for (VkFormat wanted : {VK_FORMAT_A2B10G10R10_UNORM_PACK32, VK_FORMAT_A2R10G10B10_UNORM_PACK32, VK_FORMAT_B8G8R8A8_UNORM,
                            VK_FORMAT_R8G8B8A8_UNORM})
        for (const VkSurfaceFormatKHR& f : formats)
            if (f.format == wanted)
                return f;
    return formats.at(0);
}

void create_semaphore(VkSemaphore* semaphore)
{
    const VkSemaphoreCreateInfo info = {.sType = VK_STRUCTURE_TYPE_SEMAPHORE_CREATE_INFO};
    check(vkCreateSemaphore(gpu.device, &info, nullptr, semaphore), "creating a semaphore");
}

}

void create_swapchain()
{
    VkSurfaceCapabilitiesKHR caps;
    check(vkGetPhysicalDeviceSurfaceCapabilitiesKHR(gpu.physical, gpu.surface, &caps), "reading the surface");
    gpu.swapchain_extent = caps.currentExtent.width != UINT32_MAX ? caps.currentExtent
                                                                  : VkExtent2D{.width = uint32_t(W), .height = frame_height};
    const VkSurfaceFormatKHR format = choose_format();
    const uint32_t images = std::min(caps.maxImageCount ? caps.maxImageCount : 8u, std::max(caps.minImageCount, 2u));
    const VkSwapchainKHR old = gpu.swapchain;
    const VkSwapchainCreateInfoKHR info = {
        .sType = VK_STRUCTURE_TYPE_SWAPCHAIN_CREATE_INFO_KHR,
        .surface = gpu.surface,
        .minImageCount = images,
        .imageFormat = format.format,
        .imageColorSpace = format.colorSpace,
        .imageExtent = gpu.swapchain_extent,
        .imageArrayLayers = 1,
        .imageUsage = VK_IMAGE_USAGE_TRANSFER_DST_BIT,
        .imageSharingMode = VK_SHARING_MODE_EXCLUSIVE,
        .preTransform = caps.currentTransform,
        .compositeAlpha = VK_COMPOSITE_ALPHA_OPAQUE_BIT_KHR,
        .presentMode = VK_PRESENT_MODE_FIFO_KHR,
        .clipped = VK_TRUE,
        .oldSwapchain = old,
    };
    check(vkCreateSwapchainKHR(gpu.device, &info, nullptr, &gpu.swapchain), "creating the swap chain");
    if (old)
        vkDestroySwapchainKHR(gpu.device, old, nullptr);
    gpu.swapchain_image_count = 8;
    check(vkGetSwapchainImagesKHR(gpu.device, gpu.swapchain, &gpu.swapchain_image_count, gpu.swapchain_images),
          "reading the swap chain");
    if (!gpu.image_acquired) {
        create_semaphore(&gpu.image_acquired);
        for (VkSemaphore& s : gpu.image_drawn)
            create_semaphore(&s);
    }
}

uint32_t blit_to_window()
{
    uint32_t index = 0;
    VkResult acquired;
    while ((acquired = vkAcquireNextImageKHR(gpu.device, gpu.swapchain, UINT64_MAX, gpu.image_acquired, VK_NULL_HANDLE,
                                             &index)) == VK_ERROR_OUT_OF_DATE_KHR) {
        check(vkDeviceWaitIdle(gpu.device), "waiting for the device");
        create_swapchain();
    }
    check(acquired, "acquiring a swap-chain image");

    // The back buffer scaled onto the whole window; W x 1080 has its aspect.
    const VkImage target = gpu.swapchain_images[index];
    image_barrier(gpu.frame, target, VK_PIPELINE_STAGE_TRANSFER_BIT, 0, VK_IMAGE_LAYOUT_UNDEFINED, VK_PIPELINE_STAGE_TRANSFER_BIT,
                  VK_ACCESS_TRANSFER_WRITE_BIT, VK_IMAGE_LAYOUT_TRANSFER_DST_OPTIMAL);
    const VkImageSubresourceLayers colour = {.aspectMask = VK_IMAGE_ASPECT_COLOR_BIT, .layerCount = 1};
    const VkImageBlit blit = {
        .srcSubresource = colour,
        .srcOffsets = {{}, {.x = W, .y = frame_height, .z = 1}},
        .dstSubresource = colour,
        .dstOffsets = {{}, {.x = int32_t(gpu.swapchain_extent.width), .y = int32_t(gpu.swapchain_extent.height), .z = 1}},
    };
    vkCmdBlitImage(gpu.frame, gpu.back_buffer.image, VK_IMAGE_LAYOUT_TRANSFER_SRC_OPTIMAL, target,
                   VK_IMAGE_LAYOUT_TRANSFER_DST_OPTIMAL, 1, &blit, VK_FILTER_LINEAR);
    image_barrier(gpu.frame, target, VK_PIPELINE_STAGE_TRANSFER_BIT, VK_ACCESS_TRANSFER_WRITE_BIT,
                  VK_IMAGE_LAYOUT_TRANSFER_DST_OPTIMAL, VK_PIPELINE_STAGE_BOTTOM_OF_PIPE_BIT, 0, VK_IMAGE_LAYOUT_PRESENT_SRC_KHR);
    return index;
}

void show_window_image(uint32_t index)
{
    const VkPipelineStageFlags wait_stage = VK_PIPELINE_STAGE_TRANSFER_BIT;
    const VkSubmitInfo submit = {
        .sType = VK_STRUCTURE_TYPE_SUBMIT_INFO,
        .waitSemaphoreCount = 1,
        .pWaitSemaphores = &gpu.image_acquired,
        .pWaitDstStageMask = &wait_stage,
        .commandBufferCount = 1,
        .pCommandBuffers = &gpu.frame,
        .signalSemaphoreCount = 1,
        .pSignalSemaphores = &gpu.image_drawn[index],
    };
    check(vkQueueSubmit(gpu.queue, 1, &submit, gpu.frame_done), "submitting a frame");
    // lavapipe's present waits for the frame without end; waited for here, in steps, the hook keeps its say.
    if (device_wait_hook)
        wait_for_fence(gpu.frame_done, "drawing a frame");
    const VkPresentInfoKHR info = {
        .sType = VK_STRUCTURE_TYPE_PRESENT_INFO_KHR,
        .waitSemaphoreCount = 1,
        .pWaitSemaphores = &gpu.image_drawn[index],
        .swapchainCount = 1,
        .pSwapchains = &gpu.swapchain,
        .pImageIndices = &index,
    };
    const VkResult shown = vkQueuePresentKHR(gpu.queue, &info);
    if (shown == VK_ERROR_OUT_OF_DATE_KHR || shown == VK_SUBOPTIMAL_KHR) {
        check(vkDeviceWaitIdle(gpu.device), "waiting for the device");
        create_swapchain();
        return;
    }
    check(shown, "presenting");
}

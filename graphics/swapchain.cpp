#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "graphics/authoring.h"
#include "graphics/gpu.h"
#include "graphics/swapchain_choice.h"

namespace {
constexpr uint32_t most_surface_formats = 64;

void create_semaphore(VkSemaphore* semaphore)
{
    const VkSemaphoreCreateInfo info = {.sType = VK_STRUCTURE_TYPE_SEMAPHORE_CREATE_INFO};
    check(vkCreateSemaphore(gpu.device, &info, nullptr, semaphore), "creating a semaphore");
}

VkExtent2D current_extent(VkSurfaceCapabilitiesKHR& caps)
{
    check(vkGetPhysicalDeviceSurfaceCapabilitiesKHR(gpu.physical, gpu.surface, &caps), "reading the surface");
    return swapchain_extent(caps, {.width = uint32_t(W), .height = frame_height});
}

void remake_swapchain(bool for_suboptimal)
{
    check(vkDeviceWaitIdle(gpu.device), "waiting for the device");
    create_swapchain();
    gpu.swapchain_for_suboptimal = for_suboptimal;
}

// A swap chain to draw into, made again when the window comes back from 0 x 0.
bool swapchain_ready()
{
    if (!gpu.window_minimised)
        return true;
    VkSurfaceCapabilitiesKHR caps;
    const VkExtent2D extent = current_extent(caps);
    if (extent.width && extent.height)
        remake_swapchain(false);
    return !gpu.window_minimised;
}
}

bool find_surface_format(VkPhysicalDevice device, VkSurfaceFormatKHR* chosen)
{
    VkSurfaceCapabilitiesKHR caps;
    if (vkGetPhysicalDeviceSurfaceCapabilitiesKHR(device, gpu.surface, &caps) != VK_SUCCESS ||
        !(caps.supportedUsageFlags & VK_IMAGE_USAGE_TRANSFER_DST_BIT))
        return false;
    uint32_t count = 0;
    if (vkGetPhysicalDeviceSurfaceFormatsKHR(device, gpu.surface, &count, nullptr) != VK_SUCCESS)
        return false;
    VkSurfaceFormatKHR formats[most_surface_formats];
    count = std::min(count, most_surface_formats);
    if (vkGetPhysicalDeviceSurfaceFormatsKHR(device, gpu.surface, &count, formats) < 0)
        return false;
    VkFormatFeatureFlags features[most_surface_formats];
    for (uint32_t i = 0; i < count; ++i) {
        VkFormatProperties properties;
        vkGetPhysicalDeviceFormatProperties(device, formats[i].format, &properties);
        features[i] = properties.optimalTilingFeatures;
    }
    const int index = choose_surface_format(formats, features, int(count));
    if (index >= 0)
        *chosen = formats[index];
    return index >= 0;
}

void create_swapchain()
{
    VkSurfaceCapabilitiesKHR caps;
    gpu.swapchain_extent = current_extent(caps);
    gpu.swapchain_for_suboptimal = false;
    // Minimised: nothing to make until the window has a size again.
    gpu.window_minimised = !gpu.swapchain_extent.width || !gpu.swapchain_extent.height;
    if (gpu.window_minimised)
        return;
    VkSurfaceFormatKHR format;
    if (!find_surface_format(gpu.physical, &format)) {
        std::fprintf(stderr, "swipemix: the window offers no format the show can be copied into\n");
        std::exit(1);
    }
    const VkSwapchainKHR old = gpu.swapchain;
    const VkSwapchainCreateInfoKHR info = {
        .sType = VK_STRUCTURE_TYPE_SWAPCHAIN_CREATE_INFO_KHR,
        .surface = gpu.surface,
        .minImageCount = swapchain_image_request(caps),
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
    uint32_t count = 0;
    check(vkGetSwapchainImagesKHR(gpu.device, gpu.swapchain, &count, nullptr), "reading the swap chain");
    if (count > max_swapchain_images) {
        std::fprintf(stderr, "swipemix: the window's swap chain has %u images, more than %u\n", count, max_swapchain_images);
        std::exit(1);
    }
    check(vkGetSwapchainImagesKHR(gpu.device, gpu.swapchain, &count, gpu.swapchain_images), "reading the swap chain");
    if (!gpu.image_acquired)
        create_semaphore(&gpu.image_acquired);
    for (uint32_t k = gpu.swapchain_image_count; k < count; ++k)
        if (!gpu.image_drawn[k])
            create_semaphore(&gpu.image_drawn[k]);
    gpu.swapchain_image_count = count;
}

uint32_t blit_to_window()
{
    uint32_t index = 0;
    VkResult acquired;
    for (;;) {
        if (!swapchain_ready())
            return no_window_image;
        acquired = vkAcquireNextImageKHR(gpu.device, gpu.swapchain, UINT64_MAX, gpu.image_acquired, VK_NULL_HANDLE, &index);
        if (acquired != VK_ERROR_OUT_OF_DATE_KHR)
            break;
        remake_swapchain(false);
    }
    check(acquired, "acquiring a swap-chain image");
    // A suboptimal image is still drawn into; the swap chain is remade after its present.
    gpu.acquired_suboptimal = acquired == VK_SUBOPTIMAL_KHR;

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
    const bool shown_image = index != no_window_image;
    const VkPipelineStageFlags wait_stage = VK_PIPELINE_STAGE_TRANSFER_BIT;
    const VkSubmitInfo submit = {
        .sType = VK_STRUCTURE_TYPE_SUBMIT_INFO,
        .waitSemaphoreCount = shown_image ? 1u : 0u,
        .pWaitSemaphores = &gpu.image_acquired,
        .pWaitDstStageMask = &wait_stage,
        .commandBufferCount = 1,
        .pCommandBuffers = &gpu.frame,
        .signalSemaphoreCount = shown_image ? 1u : 0u,
        .pSignalSemaphores = shown_image ? &gpu.image_drawn[index] : nullptr,
    };
    check(vkQueueSubmit(gpu.queue, 1, &submit, gpu.frame_done), "submitting a frame");
    // lavapipe's present waits for the frame without end; waited for here, in steps, the hook keeps its say.
    if (device_wait_hook)
        wait_for_fence(gpu.frame_done, "drawing a frame");
    if (!shown_image)
        return;
    const VkPresentInfoKHR info = {
        .sType = VK_STRUCTURE_TYPE_PRESENT_INFO_KHR,
        .waitSemaphoreCount = 1,
        .pWaitSemaphores = &gpu.image_drawn[index],
        .swapchainCount = 1,
        .pSwapchains = &gpu.swapchain,
        .pImageIndices = &index,
    };
    const VkResult shown = vkQueuePresentKHR(gpu.queue, &info);
    const VkResult seen = shown == VK_SUCCESS && gpu.acquired_suboptimal ? VK_SUBOPTIMAL_KHR : shown;
    const swapchain_step step = after_swapchain_call(seen, gpu.swapchain_for_suboptimal);
    if (step != swapchain_step::keep) {
        remake_swapchain(step == swapchain_step::remake_for_suboptimal);
        return;
    }
    check(shown, "presenting");
}

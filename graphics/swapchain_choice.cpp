#include "graphics/swapchain_choice.h"

#include <algorithm>

int choose_surface_format(const VkSurfaceFormatKHR* formats, const VkFormatFeatureFlags* features, int count)
{
    for (VkFormat wanted : {VK_FORMAT_A2B10G10R10_UNORM_PACK32, VK_FORMAT_A2R10G10B10_UNORM_PACK32, VK_FORMAT_B8G8R8A8_UNORM,
                            VK_FORMAT_R8G8B8A8_UNORM, VK_FORMAT_A8B8G8R8_UNORM_PACK32})
        for (int i = 0; i < count; ++i)
            if (formats[i].format == wanted && formats[i].colorSpace == VK_COLOR_SPACE_SRGB_NONLINEAR_KHR &&
                (features[i] & VK_FORMAT_FEATURE_BLIT_DST_BIT))
                return i;
    return -1;
}

VkExtent2D swapchain_extent(const VkSurfaceCapabilitiesKHR& caps, VkExtent2D wanted)
{
    if (caps.currentExtent.width != UINT32_MAX)
        return caps.currentExtent;
    return {std::clamp(wanted.width, caps.minImageExtent.width, caps.maxImageExtent.width),
            std::clamp(wanted.height, caps.minImageExtent.height, caps.maxImageExtent.height)};
}

uint32_t swapchain_image_request(const VkSurfaceCapabilitiesKHR& caps)
{
    const uint32_t least = std::max(caps.minImageCount, 2u);
    return caps.maxImageCount ? std::min(least, caps.maxImageCount) : least;
}

swapchain_step after_swapchain_call(VkResult result, bool made_for_suboptimal)
{
    if (result == VK_ERROR_OUT_OF_DATE_KHR)
        return swapchain_step::remake;
    if (result == VK_SUBOPTIMAL_KHR && !made_for_suboptimal)
        return swapchain_step::remake_for_suboptimal;
    return swapchain_step::keep;
}

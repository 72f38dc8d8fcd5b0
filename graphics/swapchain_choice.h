// How the window's swap chain is made and kept, decided from what the
// surface reports: pure logic, tested without a GPU.
#pragma once
#include <vulkan/vulkan_core.h>

// The format to blit the back buffer onto: 10-bit where offered, else 8-bit,
// never sRGB (it would brighten the show's values on the way), and only one
// whose optimal-tiling `features` allow a blit destination. -1 when none.
int choose_surface_format(const VkSurfaceFormatKHR* formats, const VkFormatFeatureFlags* features, int count);
// The surface's own size, or `wanted` within its limits where it leaves the
// size to the swap chain. 0 x 0 while the window is minimised.
VkExtent2D swapchain_extent(const VkSurfaceCapabilitiesKHR& caps, VkExtent2D wanted);
// Two images or the surface's least, within its most.
uint32_t swapchain_image_request(const VkSurfaceCapabilitiesKHR& caps);

// What follows acquiring or presenting an image: on OUT_OF_DATE a new swap
// chain; on SUBOPTIMAL one too, unless this one was already made for that (some
// compositors say it of every frame). Other errors are for check().
enum class swapchain_step { keep, remake, remake_for_suboptimal };
swapchain_step after_swapchain_call(VkResult result, bool made_for_suboptimal);

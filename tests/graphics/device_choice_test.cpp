// The device layer's choices on made-up devices, surfaces and memory: what
// real drivers report differently from lavapipe, without a GPU.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "graphics/device_choice.h"
#include "graphics/device_lost.h"
#include "graphics/memory_choice.h"
#include "graphics/swapchain_choice.h"
#include "shared/state.h"

namespace {
device_facts device(const char* name, VkPhysicalDeviceType type, uint32_t version = VK_API_VERSION_1_3, bool usable = true)
{
    device_facts d = {};
    std::strncpy(d.name, name, sizeof d.name - 1);
    d.type = type;
    d.api_version = version;
    d.usable = usable;
    return d;
}

constexpr auto cpu = VK_PHYSICAL_DEVICE_TYPE_CPU, discrete = VK_PHYSICAL_DEVICE_TYPE_DISCRETE_GPU,
               integrated = VK_PHYSICAL_DEVICE_TYPE_INTEGRATED_GPU, virtual_gpu = VK_PHYSICAL_DEVICE_TYPE_VIRTUAL_GPU;

int chosen(const std::vector<device_facts>& devices, const char* wanted = nullptr)
{
    std::string error;
    const int index = choose_device(devices.data(), int(devices.size()), wanted, error);
    EXPECT_EQ(index < 0, !error.empty()) << error;
    return index;
}

std::string refusal(const std::vector<device_facts>& devices, const char* wanted)
{
    std::string error;
    EXPECT_EQ(choose_device(devices.data(), int(devices.size()), wanted, error), -1);
    return error;
}

// A laptop with both GPUs, listed as some loaders list them: the CPU first.
const std::vector<device_facts> laptop = {
    device("llvmpipe (LLVM 15.0.6, 256 bits)", cpu),
    device("Intel(R) UHD Graphics 630", integrated),
    device("NVIDIA GeForce RTX 3060 Laptop GPU", discrete),
};
}

TEST(DeviceChoice, PrefersDiscreteThenIntegratedThenVirtualThenCpu)
{
    EXPECT_EQ(chosen(laptop), 2);
    EXPECT_EQ(chosen({laptop[0], laptop[1]}), 1);
    EXPECT_EQ(chosen({laptop[0], device("virtio-gpu", virtual_gpu)}), 1);
    EXPECT_EQ(chosen({device("virtio-gpu", virtual_gpu), laptop[1]}), 1);
    EXPECT_EQ(chosen({laptop[0]}), 0);
}

TEST(DeviceChoice, SkipsDevicesThatCannotRunTheShow)
{
    std::vector<device_facts> devices = laptop;
    devices[2].usable = false;
    EXPECT_EQ(chosen(devices), 1);
    devices[1].usable = devices[0].usable = false;
    EXPECT_NE(refusal(devices, nullptr).find("no Vulkan device"), std::string::npos);
}

TEST(DeviceChoice, TheNewerVersionWinsAmongEqualsElseTheLoadersOrder)
{
    // The build folder's lavapipe beside the system's.
    EXPECT_EQ(chosen({device("llvmpipe", cpu, VK_API_VERSION_1_2), device("llvmpipe", cpu, VK_API_VERSION_1_3)}), 1);
    EXPECT_EQ(chosen({device("first", discrete), device("second", discrete)}), 0);
}

TEST(DeviceChoice, AnIndexPicksThatDeviceOrSaysWhyNot)
{
    EXPECT_EQ(chosen(laptop, "0"), 0);
    EXPECT_EQ(chosen(laptop, "1"), 1);
    const std::string past = refusal(laptop, "3");
    EXPECT_NE(past.find("SWIPEMIX_DEVICE=3"), std::string::npos) << past;
    EXPECT_NE(past.find("2 NVIDIA GeForce RTX 3060"), std::string::npos) << past; // the list to choose from
    std::vector<device_facts> devices = laptop;
    devices[1].usable = false;
    EXPECT_NE(refusal(devices, "1").find("cannot run the show"), std::string::npos);
}

TEST(DeviceChoice, APartOfANameInAnyCasePicksTheBestOfThoseItNames)
{
    EXPECT_EQ(chosen(laptop, "LLVMpipe"), 0);
    EXPECT_EQ(chosen(laptop, "nvidia"), 2);
    // "i" is in every name: the ranking decides among them.
    EXPECT_EQ(chosen(laptop, "i"), 2);
    const std::string none = refusal(laptop, "radeon");
    EXPECT_NE(none.find("SWIPEMIX_DEVICE=radeon"), std::string::npos) << none;
    EXPECT_NE(none.find("no device's name contains"), std::string::npos) << none;
    EXPECT_NE(none.find("1 Intel(R) UHD Graphics 630"), std::string::npos) << none;
    // An empty wish is no wish.
    EXPECT_EQ(chosen(laptop, ""), 2);
}

TEST(QueueFamilyChoice, AWindowNeedsGraphicsAndPresentBesideCompute)
{
    // As a discrete GPU's driver lists them: compute-only first, presenting.
    const VkQueueFlags flags[] = {VK_QUEUE_COMPUTE_BIT | VK_QUEUE_TRANSFER_BIT, VK_QUEUE_GRAPHICS_BIT | VK_QUEUE_COMPUTE_BIT,
                                  VK_QUEUE_GRAPHICS_BIT | VK_QUEUE_COMPUTE_BIT};
    const bool presents[] = {true, false, true};
    EXPECT_EQ(choose_queue_family(flags, presents, 3, true), 2);
    EXPECT_EQ(choose_queue_family(flags, presents, 3, false), 0);
    const bool none_presents[] = {false, false, false};
    EXPECT_EQ(choose_queue_family(flags, none_presents, 3, true), -1);
}

TEST(SurfaceFormatChoice, NeverSrgbAndOnlyWhatCanBeBlittedInto)
{
    constexpr VkColorSpaceKHR srgb = VK_COLOR_SPACE_SRGB_NONLINEAR_KHR;
    const VkFormatFeatureFlags blit = VK_FORMAT_FEATURE_BLIT_DST_BIT | VK_FORMAT_FEATURE_TRANSFER_DST_BIT;
    const VkSurfaceFormatKHR srgb_first[] = {{VK_FORMAT_B8G8R8A8_SRGB, srgb}, {VK_FORMAT_B8G8R8A8_UNORM, srgb}};
    const VkFormatFeatureFlags both_blit[] = {blit, blit};
    EXPECT_EQ(choose_surface_format(srgb_first, both_blit, 2), 1);
    EXPECT_EQ(choose_surface_format(srgb_first, both_blit, 1), -1); // an sRGB format alone is no last resort

    // 10 bits where they can be blitted into, else 8.
    const VkSurfaceFormatKHR offered[] = {{VK_FORMAT_B8G8R8A8_UNORM, srgb}, {VK_FORMAT_A2B10G10R10_UNORM_PACK32, srgb}};
    EXPECT_EQ(choose_surface_format(offered, both_blit, 2), 1);
    const VkFormatFeatureFlags ten_bits_not_blittable[] = {blit, VK_FORMAT_FEATURE_TRANSFER_DST_BIT};
    EXPECT_EQ(choose_surface_format(offered, ten_bits_not_blittable, 2), 0);

    // A wide-gamut colour space would show the values differently.
    const VkSurfaceFormatKHR wide[] = {{VK_FORMAT_A2B10G10R10_UNORM_PACK32, VK_COLOR_SPACE_HDR10_ST2084_EXT}};
    EXPECT_EQ(choose_surface_format(wide, both_blit, 1), -1);
}

TEST(SwapchainChoice, TheExtentStaysWithinTheSurfacesLimitsAndIsZeroWhenMinimised)
{
    VkSurfaceCapabilitiesKHR caps = {};
    caps.currentExtent = {1280, 720};
    EXPECT_EQ(swapchain_extent(caps, {1920, 1080}).width, 1280u);
    caps.currentExtent = {0, 0}; // X11 and Windows, minimised
    EXPECT_EQ(swapchain_extent(caps, {1920, 1080}).width, 0u);

    // Wayland leaves the size to the swap chain.
    caps.currentExtent = {UINT32_MAX, UINT32_MAX};
    caps.minImageExtent = {1, 1};
    caps.maxImageExtent = {1600, 900};
    const VkExtent2D clamped = swapchain_extent(caps, {1920, 1080});
    EXPECT_EQ(clamped.width, 1600u);
    EXPECT_EQ(clamped.height, 900u);
    EXPECT_EQ(swapchain_extent(caps, {640, 360}).width, 640u);
}

TEST(SwapchainChoice, ImageCountWithinTheSurfacesLimits)
{
    VkSurfaceCapabilitiesKHR caps = {};
    caps.minImageCount = 1;
    EXPECT_EQ(swapchain_image_request(caps), 2u);
    caps.minImageCount = 3; // no upper limit: 0
    EXPECT_EQ(swapchain_image_request(caps), 3u);
    caps.minImageCount = caps.maxImageCount = 1;
    EXPECT_EQ(swapchain_image_request(caps), 1u);
}

TEST(SwapchainChoice, SuboptimalRemakesOnceOutOfDateAlways)
{
    EXPECT_EQ(after_swapchain_call(VK_SUCCESS, false), swapchain_step::keep);
    EXPECT_EQ(after_swapchain_call(VK_SUBOPTIMAL_KHR, false), swapchain_step::remake_for_suboptimal);
    // A compositor that says it of every frame gets one new swap chain, not one a frame.
    EXPECT_EQ(after_swapchain_call(VK_SUBOPTIMAL_KHR, true), swapchain_step::keep);
    EXPECT_EQ(after_swapchain_call(VK_ERROR_OUT_OF_DATE_KHR, true), swapchain_step::remake);
    EXPECT_EQ(after_swapchain_call(VK_ERROR_OUT_OF_DATE_KHR, false), swapchain_step::remake);
    EXPECT_EQ(after_swapchain_call(VK_ERROR_DEVICE_LOST, false), swapchain_step::keep); // for check() to report
}

namespace {
VkPhysicalDeviceMemoryProperties memory_of(std::initializer_list<VkMemoryPropertyFlags> types)
{
    VkPhysicalDeviceMemoryProperties memory = {};
    for (VkMemoryPropertyFlags flags : types)
        memory.memoryTypes[memory.memoryTypeCount++].propertyFlags = flags;
    return memory;
}
constexpr VkMemoryPropertyFlags local = VK_MEMORY_PROPERTY_DEVICE_LOCAL_BIT, visible = VK_MEMORY_PROPERTY_HOST_VISIBLE_BIT,
                                coherent = VK_MEMORY_PROPERTY_HOST_COHERENT_BIT, cached = VK_MEMORY_PROPERTY_HOST_CACHED_BIT;
}

TEST(MemoryChoice, ReadBackTakesCachedMemoryWhereTheDeviceHasIt)
{
    // A discrete GPU: its own memory, uncached host memory first, cached after.
    const auto gpu = memory_of({local, visible | coherent, visible | coherent | cached, local | visible | coherent});
    EXPECT_EQ(choose_memory_type(gpu, ~0u, buffer_memory::host_reads), 2);
    EXPECT_EQ(choose_memory_type(gpu, ~0u, buffer_memory::host_writes), 1);
    EXPECT_EQ(choose_memory_type(gpu, ~0u, buffer_memory::device), 0);
    // A phone's: cached only without coherence (reads are invalidated first).
    const auto phone = memory_of({local, local | visible | coherent, local | visible | cached});
    EXPECT_EQ(choose_memory_type(phone, ~0u, buffer_memory::host_reads), 2);
    // Without cached memory, coherent memory still serves.
    EXPECT_EQ(choose_memory_type(gpu, 0b0011, buffer_memory::host_reads), 1);
}

TEST(MemoryChoice, NoSuitableTypeIsSaidNotAnIndexPastTheEnd)
{
    const auto gpu = memory_of({local, visible | coherent});
    EXPECT_EQ(choose_memory_type(gpu, 0b0001, buffer_memory::host_reads), -1);
    EXPECT_EQ(choose_memory_type(gpu, 0b0001, buffer_memory::host_writes), -1);
    EXPECT_EQ(choose_memory_type(gpu, 0b0100, buffer_memory::device), -1); // a type the device does not have
    // Device memory falls back to any type the resource allows.
    EXPECT_EQ(choose_memory_type(gpu, 0b0010, buffer_memory::device), 1);
}

TEST(DeviceLost, TheLineNamesWhatWasRunning)
{
    const int slots[] = {entry_slot(4), entry_slot(9), composite_slot};
    EXPECT_EQ(device_lost_line("drawing a frame", slots, 3),
              "the device was lost (drawing a frame) while it ran entry 4, entry 9 and the composite");
    EXPECT_EQ(device_lost_line("drawing a frame", slots, 1), "the device was lost (drawing a frame) while it ran entry 4");
    EXPECT_EQ(device_lost_line("presenting", slots, 0), "the device was lost (presenting) while it ran no effect");
}

// Which Vulkan device and queue family run the show, decided from what the
// devices report: pure logic, tested without a GPU.
#pragma once
#include <vulkan/vulkan_core.h>

#include <string>

constexpr int max_devices = 16;

struct device_facts {
    char name[VK_MAX_PHYSICAL_DEVICE_NAME_SIZE];
    VkPhysicalDeviceType type;
    uint32_t api_version;
    bool usable; // runs the show's kernels (and presents, when there is a window)
};

// The device to draw on among `count`: a discrete GPU before an integrated,
// a virtual one and a CPU, the newer Vulkan version among equals (the build
// folder's lavapipe beside the system's), else the loader's order. `wanted`
// (SWIPEMIX_DEVICE; null or empty: no wish) is an index into the list or a
// part of a device's name, any case. -1 with `error` set when none fits.
int choose_device(const device_facts* devices, int count, const char* wanted, std::string& error);
// "GPU", "integrated GPU", ... for the device list.
const char* device_type_name(VkPhysicalDeviceType type);

// A queue family with compute, and with a window also presenting and
// graphics (the blit onto the window needs it); -1 when none has all.
int choose_queue_family(const VkQueueFlags* flags, const bool* presents, int count, bool window);

// Which Vulkan drivers the loader offers: the system's, and where the system
// has no GPU the newer lavapipe that tools/fetch-lavapipe keeps in the build
// folder; and how the driver in use is named.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "graphics/authoring.h"
#include "graphics/device_choice.h"
#include "graphics/gpu.h"

namespace {
bool user_drivers;    // VK_DRIVER_FILES or VK_ICD_FILENAMES: the user's list, kept as it is
bool bundled_present; // the build folder has a lavapipe
bool bundled_offered;
// The system's drivers as a bare instance sees them before the build
// folder's is added: lavapipe's UUID and version are the same in every
// Mesa, its Vulkan version is not.
struct driver_mark {
    uint8_t uuid[VK_UUID_SIZE];
    uint32_t api_version;
};
driver_mark system_drivers[max_devices];
int system_driver_count;

driver_mark mark_of(VkPhysicalDevice device)
{
    VkPhysicalDeviceIDProperties ids = {.sType = VK_STRUCTURE_TYPE_PHYSICAL_DEVICE_ID_PROPERTIES};
    VkPhysicalDeviceProperties2 both = {.sType = VK_STRUCTURE_TYPE_PHYSICAL_DEVICE_PROPERTIES_2, .pNext = &ids};
    vkGetPhysicalDeviceProperties2(device, &both);
    driver_mark mark = {.api_version = both.properties.apiVersion};
    std::memcpy(mark.uuid, ids.driverUUID, VK_UUID_SIZE);
    return mark;
}

// Notes the system's drivers; true when one of them is a GPU's.
bool system_has_gpu()
{
    const VkApplicationInfo app = {.sType = VK_STRUCTURE_TYPE_APPLICATION_INFO, .apiVersion = VK_API_VERSION_1_1};
    const VkInstanceCreateInfo info = {.sType = VK_STRUCTURE_TYPE_INSTANCE_CREATE_INFO, .pApplicationInfo = &app};
    VkInstance bare;
    if (vkCreateInstance(&info, nullptr, &bare) != VK_SUCCESS)
        return false;
    VkPhysicalDevice devices[max_devices];
    uint32_t count = max_devices;
    if (vkEnumeratePhysicalDevices(bare, &count, devices) < 0)
        count = 0;
    bool gpu_found = false;
    for (uint32_t i = 0; i < count; ++i) {
        VkPhysicalDeviceProperties properties;
        vkGetPhysicalDeviceProperties(devices[i], &properties);
        gpu_found |= properties.deviceType != VK_PHYSICAL_DEVICE_TYPE_CPU;
        system_drivers[system_driver_count++] = mark_of(devices[i]);
    }
    vkDestroyInstance(bare, nullptr);
    return gpu_found;
}

bool from_system(VkPhysicalDevice device)
{
    const driver_mark mark = mark_of(device);
    for (int i = 0; i < system_driver_count; ++i)
        if (!std::memcmp(mark.uuid, system_drivers[i].uuid, VK_UUID_SIZE) && mark.api_version == system_drivers[i].api_version)
            return true;
    return false;
}
}

void offer_bundled_driver()
{
    static bool decided;
    if (decided)
        return;
    decided = true;
    user_drivers = std::getenv("VK_DRIVER_FILES") || std::getenv("VK_ICD_FILENAMES");
    const std::string dir = SWIPEMIX_DRIVER_DIR, manifest = dir + "/lvp_icd.json";
    bundled_present = access(manifest.c_str(), R_OK) == 0;
    // A program we started (the studio starting afresh) inherits the list we
    // added to: the build folder's lavapipe in it is ours, not the system's.
    if (const char* inherited = std::getenv("VK_ADD_DRIVER_FILES")) {
        std::istringstream list(inherited);
        std::string kept, entry;
        while (std::getline(list, entry, ':'))
            if (!entry.empty() && entry != manifest)
                kept += (kept.empty() ? "" : ":") + entry;
        kept.empty() ? unsetenv("VK_ADD_DRIVER_FILES") : setenv("VK_ADD_DRIVER_FILES", kept.c_str(), 1);
    }
    // A GPU's driver may use libdrm itself; the build folder's must not be loaded in its way.
    if (user_drivers || !bundled_present || system_has_gpu())
        return;
    // The newer lavapipe needs a newer libdrm.so.2 than the system's; loaded
    // first and global, it is the one the driver binds to.
    if (!dlopen((dir + "/libdrm.so.2").c_str(), RTLD_NOW | RTLD_GLOBAL))
        return;
    // Added to the loader's own list, not replacing it, so the system's lavapipe is still seen.
    const char* added = std::getenv("VK_ADD_DRIVER_FILES");
    setenv("VK_ADD_DRIVER_FILES", added && *added ? (manifest + ":" + added).c_str() : manifest.c_str(), 1);
    bundled_offered = true;
}

std::string driver_description(VkPhysicalDevice device)
{
    VkPhysicalDeviceProperties properties;
    vkGetPhysicalDeviceProperties(device, &properties);
    std::string driver;
    VkDriverId id = {};
    if (properties.apiVersion >= VK_API_VERSION_1_2) {
        VkPhysicalDeviceDriverProperties names = {.sType = VK_STRUCTURE_TYPE_PHYSICAL_DEVICE_DRIVER_PROPERTIES};
        VkPhysicalDeviceProperties2 both = {.sType = VK_STRUCTURE_TYPE_PHYSICAL_DEVICE_PROPERTIES_2, .pNext = &names};
        vkGetPhysicalDeviceProperties2(device, &both);
        driver = std::string(", ") + names.driverName + (*names.driverInfo ? " " : "") + names.driverInfo;
        id = names.driverID;
    }
    if (properties.deviceType != VK_PHYSICAL_DEVICE_TYPE_CPU)
        return driver;
    if (bundled_offered)
        return driver + (from_system(device) ? ", the system's" : ", from the build folder");
    if (id == VK_DRIVER_ID_MESA_LLVMPIPE && !user_drivers && !bundled_present)
        return driver + ", the system's: no newer lavapipe in the build folder, run tools/fetch-lavapipe";
    return driver;
}

void report_driver()
{
    VkPhysicalDeviceProperties properties;
    vkGetPhysicalDeviceProperties(gpu.physical, &properties);
    std::fprintf(stderr, "swipemix: drawing on %s (%s%s)\n", properties.deviceName, device_type_name(properties.deviceType),
                 driver_description(gpu.physical).c_str());
}

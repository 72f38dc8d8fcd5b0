// Which Vulkan driver runs the show: any GPU first, else the lavapipe that
// tools/fetch-lavapipe keeps in the build folder, else the system's.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "graphics/authoring.h"
#include "graphics/gpu.h"

namespace {
bool bundled_offered;
}

void offer_bundled_driver()
{
    // A driver list the user set is theirs to keep.
    if (std::getenv("VK_DRIVER_FILES") || std::getenv("VK_ICD_FILENAMES"))
        return;
    const std::string dir = SWIPEMIX_DRIVER_DIR, manifest = dir + "/lvp_icd.json";
    if (access(manifest.c_str(), R_OK) != 0)
        return;
    // The newer lavapipe needs a newer libdrm.so.2 than the system's; loaded
    // first and global, it is the one the driver binds to.
    if (!dlopen((dir + "/libdrm.so.2").c_str(), RTLD_NOW | RTLD_GLOBAL))
        return;
    // Added to the loader's own list, not replacing it, so GPUs are still seen.
    const char* added = std::getenv("VK_ADD_DRIVER_FILES");
    setenv("VK_ADD_DRIVER_FILES", added && *added ? (manifest + ":" + added).c_str() : manifest.c_str(), 1);
    bundled_offered = true;
}

void report_driver()
{
    VkPhysicalDeviceProperties properties;
    vkGetPhysicalDeviceProperties(gpu.physical, &properties);
    std::string driver;
    if (properties.apiVersion >= VK_API_VERSION_1_2) {
        VkPhysicalDeviceDriverProperties names = {.sType = VK_STRUCTURE_TYPE_PHYSICAL_DEVICE_DRIVER_PROPERTIES};
        VkPhysicalDeviceProperties2 both = {.sType = VK_STRUCTURE_TYPE_PHYSICAL_DEVICE_PROPERTIES_2, .pNext = &names};
        vkGetPhysicalDeviceProperties2(gpu.physical, &both);
        driver = std::string(", ") + names.driverName + " " + names.driverInfo;
    }
    const char* whose = "";
    if (properties.deviceType == VK_PHYSICAL_DEVICE_TYPE_CPU)
        whose = bundled_offered ? " (from the build folder)"
                                : " (the system's: no newer lavapipe in the build folder, run tools/fetch-lavapipe)";
    std::fprintf(stderr, "swipemix: drawing on %s%s%s\n", properties.deviceName, driver.c_str(), whose);
}

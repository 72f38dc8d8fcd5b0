#include "graphics/device_choice.h"

#include <cctype>
#include <cstdlib>

namespace {
int type_rank(VkPhysicalDeviceType type)
{
    switch (type) {
    case VK_PHYSICAL_DEVICE_TYPE_DISCRETE_GPU: return 0;
    case VK_PHYSICAL_DEVICE_TYPE_INTEGRATED_GPU: return 1;
    case VK_PHYSICAL_DEVICE_TYPE_VIRTUAL_GPU: return 2;
    case VK_PHYSICAL_DEVICE_TYPE_CPU: return 3;
    default: return 4;
    }
}

bool better(const device_facts& a, const device_facts& b)
{
    if (type_rank(a.type) != type_rank(b.type))
        return type_rank(a.type) < type_rank(b.type);
    return a.api_version > b.api_version;
}

bool contains_any_case(const char* text, const char* part)
{
    for (; *text; ++text) {
        int k = 0;
        while (part[k] && text[k] && std::tolower(uint8_t(text[k])) == std::tolower(uint8_t(part[k])))
            ++k;
        if (!part[k])
            return true;
    }
    return false;
}

bool is_index(const char* text)
{
    if (!*text)
        return false;
    for (const char* c = text; *c; ++c)
        if (!std::isdigit(uint8_t(*c)))
            return false;
    return true;
}

std::string names(const device_facts* devices, int count)
{
    std::string list;
    for (int i = 0; i < count; ++i)
        list += (i ? ", " : "") + std::to_string(i) + " " + devices[i].name;
    return count ? list : "none";
}
}

int choose_device(const device_facts* devices, int count, const char* wanted, std::string& error)
{
    const bool wish = wanted && *wanted;
    const std::string asked = wish ? std::string("SWIPEMIX_DEVICE=") + wanted : "";
    if (wish && is_index(wanted)) {
        const long index = std::strtol(wanted, nullptr, 10);
        if (index >= count) {
            error = asked + ": there is no device " + wanted + " (devices: " + names(devices, count) + ")";
            return -1;
        }
        if (!devices[index].usable) {
            error = asked + ": " + devices[index].name + " cannot run the show";
            return -1;
        }
        return int(index);
    }
    int best = -1;
    bool named = false;
    for (int i = 0; i < count; ++i) {
        if (wish && !contains_any_case(devices[i].name, wanted))
            continue;
        named = true;
        if (devices[i].usable && (best < 0 || better(devices[i], devices[best])))
            best = i;
    }
    if (best < 0)
        error = wish ? asked + (named ? ": no device of that name can run the show"
                                      : ": no device's name contains \"" + std::string(wanted) + "\"") +
                           " (devices: " + names(devices, count) + ")"
                     : "no Vulkan device can run the show's compute shaders";
    return best;
}

const char* device_type_name(VkPhysicalDeviceType type)
{
    switch (type) {
    case VK_PHYSICAL_DEVICE_TYPE_DISCRETE_GPU: return "GPU";
    case VK_PHYSICAL_DEVICE_TYPE_INTEGRATED_GPU: return "integrated GPU";
    case VK_PHYSICAL_DEVICE_TYPE_VIRTUAL_GPU: return "virtual GPU";
    case VK_PHYSICAL_DEVICE_TYPE_CPU: return "CPU";
    default: return "other";
    }
}

int choose_queue_family(const VkQueueFlags* flags, const bool* presents, int count, bool window)
{
    const VkQueueFlags needed = VK_QUEUE_COMPUTE_BIT | (window ? VK_QUEUE_GRAPHICS_BIT : 0);
    for (int f = 0; f < count; ++f)
        if ((flags[f] & needed) == needed && (!window || presents[f]))
            return f;
    return -1;
}

#include "graphics/memory_choice.h"

namespace {
constexpr VkMemoryPropertyFlags visible = VK_MEMORY_PROPERTY_HOST_VISIBLE_BIT,
                                coherent = VK_MEMORY_PROPERTY_HOST_COHERENT_BIT,
                                cached = VK_MEMORY_PROPERTY_HOST_CACHED_BIT;
struct wish_list {
    int count;
    VkMemoryPropertyFlags wish[4]; // in order of preference; 0 takes any type
};
constexpr wish_list wishes[] = {
    {2, {VK_MEMORY_PROPERTY_DEVICE_LOCAL_BIT, 0}},
    {2, {visible | coherent, visible}},
    {4, {visible | cached | coherent, visible | cached, visible | coherent, visible}},
};
}

int choose_memory_type(const VkPhysicalDeviceMemoryProperties& memory, uint32_t type_bits, buffer_memory use)
{
    const wish_list& list = wishes[int(use)];
    for (int w = 0; w < list.count; ++w)
        for (uint32_t type = 0; type < memory.memoryTypeCount && type < VK_MAX_MEMORY_TYPES; ++type)
            if ((type_bits >> type & 1) && (memory.memoryTypes[type].propertyFlags & list.wish[w]) == list.wish[w])
                return int(type);
    return -1;
}

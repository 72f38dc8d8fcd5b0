// Which memory type a buffer or image takes: pure logic, tested without a GPU.
#pragma once
#include <vulkan/vulkan_core.h>

// Where a buffer's memory lies: the device's own, or memory the host writes
// (staging) or reads (read-back).
enum class buffer_memory { device, host_writes, host_reads };

// The first type that `type_bits` allows and that serves `use` best: device
// memory on the device; for host reads cached memory, coherent where it can
// be (uncached reads from a discrete GPU crawl); for host writes coherent
// memory where there is some. -1 when no type can serve at all.
int choose_memory_type(const VkPhysicalDeviceMemoryProperties& memory, uint32_t type_bits, buffer_memory use);

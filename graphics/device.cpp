#include "graphics/device.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "graphics/authoring.h"
#include "graphics/device_choice.h"
#include "graphics/device_lost.h"
#include "graphics/gpu.h"

gpu_record gpu;

void (*device_wait_hook)(double waited_seconds);
void (*device_lost_hook)();

void check(VkResult result, const char* what)
{
    if (result >= 0)
        return;
    if (result == VK_ERROR_DEVICE_LOST) {
        std::fprintf(stderr, "swipemix: %s\n", device_lost_line(what, gpu.slots_run, gpu.slots_run_count).c_str());
        if (device_lost_hook)
            device_lost_hook();
        std::exit(1);
    }
    std::fprintf(stderr, "swipemix: %s failed (Vulkan error %d)\n", what, int(result));
    std::exit(1);
}

void wait_for_fence(VkFence fence, const char* what)
{
    if (!device_wait_hook) {
        check(vkWaitForFences(gpu.device, 1, &fence, VK_TRUE, UINT64_MAX), what);
        return;
    }
    constexpr uint64_t step_ns = 50'000'000;
    const auto start = std::chrono::steady_clock::now();
    VkResult done;
    while ((done = vkWaitForFences(gpu.device, 1, &fence, VK_TRUE, step_ns)) == VK_TIMEOUT)
        device_wait_hook(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    check(done, what);
}

int slots_in_flight(int slots[shader_slots])
{
    std::copy(gpu.slots_run, gpu.slots_run + gpu.slots_run_count, slots);
    return gpu.slots_run_count;
}

namespace {
validation_sink message_sink;

VKAPI_ATTR VkBool32 VKAPI_CALL forward_message(VkDebugUtilsMessageSeverityFlagBitsEXT, VkDebugUtilsMessageTypeFlagsEXT,
                                               const VkDebugUtilsMessengerCallbackDataEXT* data, void*)
{
    message_sink(data->pMessage);
    return VK_FALSE;
}

const VkDebugUtilsMessengerCreateInfoEXT messenger_info = {
    .sType = VK_STRUCTURE_TYPE_DEBUG_UTILS_MESSENGER_CREATE_INFO_EXT,
    .messageSeverity = VK_DEBUG_UTILS_MESSAGE_SEVERITY_WARNING_BIT_EXT | VK_DEBUG_UTILS_MESSAGE_SEVERITY_ERROR_BIT_EXT,
    .messageType = VK_DEBUG_UTILS_MESSAGE_TYPE_GENERAL_BIT_EXT | VK_DEBUG_UTILS_MESSAGE_TYPE_VALIDATION_BIT_EXT |
                   VK_DEBUG_UTILS_MESSAGE_TYPE_PERFORMANCE_BIT_EXT,
    .pfnUserCallback = forward_message,
};

bool create_instance(const window_link* window)
{
    std::vector<const char*> extensions;
    if (window)
        extensions.assign(window->instance_extensions, window->instance_extensions + window->extension_count);
    const char* layer = "VK_LAYER_KHRONOS_validation";
    if (message_sink) {
        extensions.push_back(VK_EXT_DEBUG_UTILS_EXTENSION_NAME);
        extensions.push_back(VK_EXT_VALIDATION_FEATURES_EXTENSION_NAME);
    }
    // Barriers are checked too, not just API use.
    const VkValidationFeatureEnableEXT synchronisation = VK_VALIDATION_FEATURE_ENABLE_SYNCHRONIZATION_VALIDATION_EXT;
    const VkValidationFeaturesEXT features = {
        .sType = VK_STRUCTURE_TYPE_VALIDATION_FEATURES_EXT,
        .pNext = &messenger_info,
        .enabledValidationFeatureCount = 1,
        .pEnabledValidationFeatures = &synchronisation,
    };
    const VkApplicationInfo app = {
        .sType = VK_STRUCTURE_TYPE_APPLICATION_INFO,
        .pApplicationName = "swipemix",
        .applicationVersion = 1,
        .apiVersion = VK_API_VERSION_1_1,
    };
    const VkInstanceCreateInfo info = {
        .sType = VK_STRUCTURE_TYPE_INSTANCE_CREATE_INFO,
        .pNext = message_sink ? &features : nullptr,
        .pApplicationInfo = &app,
        .enabledLayerCount = message_sink ? 1u : 0u,
        .ppEnabledLayerNames = &layer,
        .enabledExtensionCount = uint32_t(extensions.size()),
        .ppEnabledExtensionNames = extensions.data(),
    };
    offer_bundled_driver();
    const VkResult result = vkCreateInstance(&info, nullptr, &gpu.instance);
    if (result != VK_SUCCESS) {
        std::fprintf(stderr, "swipemix: no Vulkan driver could be started (error %d)\n", int(result));
        return false;
    }
    if (message_sink) {
        auto create = reinterpret_cast<PFN_vkCreateDebugUtilsMessengerEXT>(
            vkGetInstanceProcAddr(gpu.instance, "vkCreateDebugUtilsMessengerEXT"));
        VkDebugUtilsMessengerEXT messenger;
        check(create(gpu.instance, &messenger_info, nullptr, &messenger), "debug messenger");
    }
    return true;
}

// The queue family that runs the show on `device`: compute, and with a
// window presenting and blitting too; -1 when it has none.
int queue_family_of(VkPhysicalDevice device)
{
    constexpr uint32_t most_families = 16;
    VkQueueFamilyProperties families[most_families];
    uint32_t count = 0;
    vkGetPhysicalDeviceQueueFamilyProperties(device, &count, nullptr);
    count = std::min(count, most_families);
    vkGetPhysicalDeviceQueueFamilyProperties(device, &count, families);
    VkQueueFlags flags[most_families];
    bool presents[most_families];
    for (uint32_t f = 0; f < count; ++f) {
        flags[f] = families[f].queueFlags;
        VkBool32 supported = VK_FALSE;
        if (gpu.surface)
            check(vkGetPhysicalDeviceSurfaceSupportKHR(device, f, gpu.surface, &supported), "asking about the window");
        presents[f] = supported;
    }
    return choose_queue_family(flags, presents, int(count), gpu.surface != VK_NULL_HANDLE);
}

bool can_draw(VkPhysicalDevice device)
{
    VkPhysicalDeviceFeatures features;
    vkGetPhysicalDeviceFeatures(device, &features);
    VkFormatProperties format;
    vkGetPhysicalDeviceFormatProperties(device, show_image_format, &format);
    const VkFormatFeatureFlags needed = VK_FORMAT_FEATURE_STORAGE_IMAGE_BIT | VK_FORMAT_FEATURE_TRANSFER_SRC_BIT |
                                        VK_FORMAT_FEATURE_TRANSFER_DST_BIT | VK_FORMAT_FEATURE_BLIT_SRC_BIT;
    VkSurfaceFormatKHR surface_format;
    return features.shaderStorageImageExtendedFormats && (format.optimalTilingFeatures & needed) == needed &&
           queue_family_of(device) >= 0 && (!gpu.surface || find_surface_format(device, &surface_format));
}

// The loader's devices and what the choice needs to know of each.
int read_devices(VkPhysicalDevice* handles, device_facts* facts)
{
    uint32_t count = 0;
    check(vkEnumeratePhysicalDevices(gpu.instance, &count, nullptr), "listing the devices");
    count = std::min<uint32_t>(count, max_devices);
    check(vkEnumeratePhysicalDevices(gpu.instance, &count, handles), "listing the devices");
    for (uint32_t i = 0; i < count; ++i) {
        VkPhysicalDeviceProperties properties;
        vkGetPhysicalDeviceProperties(handles[i], &properties);
        std::copy(properties.deviceName, properties.deviceName + sizeof facts[i].name, facts[i].name);
        facts[i].type = properties.deviceType;
        facts[i].api_version = properties.apiVersion;
        facts[i].usable = can_draw(handles[i]);
    }
    return int(count);
}

bool pick_device()
{
    VkPhysicalDevice handles[max_devices];
    device_facts facts[max_devices];
    const int count = read_devices(handles, facts);
    std::string error;
    const int chosen = choose_device(facts, count, std::getenv("SWIPEMIX_DEVICE"), error);
    if (chosen < 0) {
        std::fprintf(stderr, "swipemix: %s\n", error.c_str());
        return false;
    }
    gpu.physical = handles[chosen];
    gpu.queue_family = uint32_t(queue_family_of(gpu.physical));
    return true;
}

void create_logical_device()
{
    const float priority = 1;
    const VkDeviceQueueCreateInfo queue = {
        .sType = VK_STRUCTURE_TYPE_DEVICE_QUEUE_CREATE_INFO,
        .queueFamilyIndex = gpu.queue_family,
        .queueCount = 1,
        .pQueuePriorities = &priority,
    };
    const VkPhysicalDeviceFeatures features = {.shaderStorageImageExtendedFormats = VK_TRUE};
    const char* swapchain = VK_KHR_SWAPCHAIN_EXTENSION_NAME;
    const VkDeviceCreateInfo info = {
        .sType = VK_STRUCTURE_TYPE_DEVICE_CREATE_INFO,
        .queueCreateInfoCount = 1,
        .pQueueCreateInfos = &queue,
        .enabledExtensionCount = gpu.surface ? 1u : 0u,
        .ppEnabledExtensionNames = &swapchain,
        .pEnabledFeatures = &features,
    };
    check(vkCreateDevice(gpu.physical, &info, nullptr, &gpu.device), "creating the device");
    vkGetDeviceQueue(gpu.device, gpu.queue_family, 0, &gpu.queue);

    const VkCommandPoolCreateInfo pool = {
        .sType = VK_STRUCTURE_TYPE_COMMAND_POOL_CREATE_INFO,
        .flags = VK_COMMAND_POOL_CREATE_RESET_COMMAND_BUFFER_BIT,
        .queueFamilyIndex = gpu.queue_family,
    };
    check(vkCreateCommandPool(gpu.device, &pool, nullptr, &gpu.command_pool), "command pool");
    const VkCommandBufferAllocateInfo buffer = {
        .sType = VK_STRUCTURE_TYPE_COMMAND_BUFFER_ALLOCATE_INFO,
        .commandPool = gpu.command_pool,
        .level = VK_COMMAND_BUFFER_LEVEL_PRIMARY,
        .commandBufferCount = 1,
    };
    check(vkAllocateCommandBuffers(gpu.device, &buffer, &gpu.frame), "command buffer");
    const VkFenceCreateInfo fence = {.sType = VK_STRUCTURE_TYPE_FENCE_CREATE_INFO, .flags = VK_FENCE_CREATE_SIGNALED_BIT};
    check(vkCreateFence(gpu.device, &fence, nullptr, &gpu.frame_done), "fence");
}

// One descriptor set for the whole show, bound at the start of every frame.
void create_bindings()
{
    const VkShaderStageFlags compute = VK_SHADER_STAGE_COMPUTE_BIT;
    const VkDescriptorSetLayoutBinding bindings[binding_count] = {
        {.binding = binding_constants, .descriptorType = VK_DESCRIPTOR_TYPE_UNIFORM_BUFFER, .descriptorCount = 1, .stageFlags = compute},
        {.binding = binding_noise, .descriptorType = VK_DESCRIPTOR_TYPE_SAMPLED_IMAGE, .descriptorCount = 1, .stageFlags = compute},
        {.binding = binding_atlas, .descriptorType = VK_DESCRIPTOR_TYPE_SAMPLED_IMAGE, .descriptorCount = 1, .stageFlags = compute},
        {.binding = binding_sampler, .descriptorType = VK_DESCRIPTOR_TYPE_SAMPLER, .descriptorCount = 1, .stageFlags = compute},
        {.binding = binding_back_buffer, .descriptorType = VK_DESCRIPTOR_TYPE_STORAGE_IMAGE, .descriptorCount = 1, .stageFlags = compute},
        {.binding = binding_feed_image, .descriptorType = VK_DESCRIPTOR_TYPE_STORAGE_IMAGE, .descriptorCount = 1, .stageFlags = compute},
        {.binding = binding_audio, .descriptorType = VK_DESCRIPTOR_TYPE_SAMPLED_IMAGE, .descriptorCount = 1, .stageFlags = compute},
    };
    const VkDescriptorSetLayoutCreateInfo layout = {
        .sType = VK_STRUCTURE_TYPE_DESCRIPTOR_SET_LAYOUT_CREATE_INFO,
        .bindingCount = binding_count,
        .pBindings = bindings,
    };
    check(vkCreateDescriptorSetLayout(gpu.device, &layout, nullptr, &gpu.set_layout), "descriptor set layout");
    const VkPipelineLayoutCreateInfo pipeline = {
        .sType = VK_STRUCTURE_TYPE_PIPELINE_LAYOUT_CREATE_INFO,
        .setLayoutCount = 1,
        .pSetLayouts = &gpu.set_layout,
    };
    check(vkCreatePipelineLayout(gpu.device, &pipeline, nullptr, &gpu.pipeline_layout), "pipeline layout");

    const VkDescriptorPoolSize sizes[] = {
        {.type = VK_DESCRIPTOR_TYPE_UNIFORM_BUFFER, .descriptorCount = 1},
        {.type = VK_DESCRIPTOR_TYPE_SAMPLED_IMAGE, .descriptorCount = 3},
        {.type = VK_DESCRIPTOR_TYPE_SAMPLER, .descriptorCount = 1},
        {.type = VK_DESCRIPTOR_TYPE_STORAGE_IMAGE, .descriptorCount = 2},
    };
    const VkDescriptorPoolCreateInfo pool_info = {
        .sType = VK_STRUCTURE_TYPE_DESCRIPTOR_POOL_CREATE_INFO,
        .maxSets = 1,
        .poolSizeCount = 4,
        .pPoolSizes = sizes,
    };
    VkDescriptorPool pool;
    check(vkCreateDescriptorPool(gpu.device, &pool_info, nullptr, &pool), "descriptor pool");
    const VkDescriptorSetAllocateInfo set = {
        .sType = VK_STRUCTURE_TYPE_DESCRIPTOR_SET_ALLOCATE_INFO,
        .descriptorPool = pool,
        .descriptorSetCount = 1,
        .pSetLayouts = &gpu.set_layout,
    };
    check(vkAllocateDescriptorSets(gpu.device, &set, &gpu.descriptors), "descriptor set");

    // The kernels' default sampler state: linear, clamped.
    const VkSamplerCreateInfo sampler = {
        .sType = VK_STRUCTURE_TYPE_SAMPLER_CREATE_INFO,
        .magFilter = VK_FILTER_LINEAR,
        .minFilter = VK_FILTER_LINEAR,
        .mipmapMode = VK_SAMPLER_MIPMAP_MODE_NEAREST,
        .addressModeU = VK_SAMPLER_ADDRESS_MODE_CLAMP_TO_EDGE,
        .addressModeV = VK_SAMPLER_ADDRESS_MODE_CLAMP_TO_EDGE,
        .addressModeW = VK_SAMPLER_ADDRESS_MODE_CLAMP_TO_EDGE,
    };
    check(vkCreateSampler(gpu.device, &sampler, nullptr, &gpu.sampler), "sampler");
    const VkDescriptorImageInfo image = {.sampler = gpu.sampler};
    bind_descriptor(binding_sampler, VK_DESCRIPTOR_TYPE_SAMPLER, &image, nullptr);
}

}

gpu_image black_storage_image(uint32_t width)
{
    const VkImageUsageFlags usage = VK_IMAGE_USAGE_STORAGE_BIT | VK_IMAGE_USAGE_TRANSFER_SRC_BIT | VK_IMAGE_USAGE_TRANSFER_DST_BIT;
    const gpu_image made = create_image(VK_IMAGE_TYPE_2D, show_image_format, {.width = width, .height = frame_height, .depth = 1}, usage);
    VkCommandBuffer commands = begin_setup();
    image_barrier(commands, made.image, VK_PIPELINE_STAGE_TOP_OF_PIPE_BIT, 0, VK_IMAGE_LAYOUT_UNDEFINED,
                  VK_PIPELINE_STAGE_TRANSFER_BIT, VK_ACCESS_TRANSFER_WRITE_BIT, VK_IMAGE_LAYOUT_GENERAL);
    const VkClearColorValue black = {.float32 = {0, 0, 0, 1}};
    const VkImageSubresourceRange whole = {.aspectMask = VK_IMAGE_ASPECT_COLOR_BIT, .levelCount = 1, .layerCount = 1};
    vkCmdClearColorImage(commands, made.image, VK_IMAGE_LAYOUT_GENERAL, &black, 1, &whole);
    end_setup(commands);
    return made;
}

namespace {

void create_readback_buffers()
{
    for (gpu_buffer& readback : gpu.readback)
        readback = create_buffer(VkDeviceSize(W) * frame_height * 4, VK_BUFFER_USAGE_TRANSFER_DST_BIT, buffer_memory::host_reads);
}

void create_storage_images()
{
    gpu.back_buffer = black_storage_image(uint32_t(W));
    gpu.feed_image = black_storage_image(column_width);
    bind_image(binding_back_buffer, VK_DESCRIPTOR_TYPE_STORAGE_IMAGE, gpu.back_buffer.view, VK_IMAGE_LAYOUT_GENERAL);
    bind_image(binding_feed_image, VK_DESCRIPTOR_TYPE_STORAGE_IMAGE, gpu.feed_image.view, VK_IMAGE_LAYOUT_GENERAL);
}
}

bool create_device(const window_link* window, validation_sink validation)
{
    message_sink = validation;
    if (!create_instance(window))
        return false;
    if (window && !window->create_surface(gpu.instance, &gpu.surface)) {
        std::fprintf(stderr, "swipemix: the window gave no Vulkan surface\n");
        return false;
    }
    if (!pick_device())
        return false;
    create_logical_device();
    create_bindings();
    create_storage_images();
    create_audio_texture();
    if (window)
        create_swapchain();
    else
        create_readback_buffers();
    return true;
}

bool device_is_cpu()
{
    VkPhysicalDeviceProperties properties;
    vkGetPhysicalDeviceProperties(gpu.physical, &properties);
    return properties.deviceType == VK_PHYSICAL_DEVICE_TYPE_CPU;
}

bool list_devices()
{
    if (!create_instance(nullptr))
        return false;
    VkPhysicalDevice handles[max_devices];
    device_facts facts[max_devices];
    const int count = read_devices(handles, facts);
    std::string error;
    const int chosen = choose_device(facts, count, std::getenv("SWIPEMIX_DEVICE"), error);
    for (int i = 0; i < count; ++i)
        std::printf("%d: %s (%s%s)%s%s\n", i, facts[i].name, device_type_name(facts[i].type),
                    driver_description(handles[i]).c_str(), facts[i].usable ? "" : ", cannot run the show",
                    i == chosen ? " <- chosen" : "");
    if (chosen < 0)
        std::fprintf(stderr, "swipemix: %s\n", error.c_str());
    return chosen >= 0;
}

void set_back_buffer_width(int width)
{
    if (width == W)
        return;
    W = width;
    if (!gpu.device)
        return; // create_device makes the images at this width
    check(vkDeviceWaitIdle(gpu.device), "waiting for the device");
    vkDestroyImageView(gpu.device, gpu.back_buffer.view, nullptr);
    vkDestroyImage(gpu.device, gpu.back_buffer.image, nullptr);
    vkFreeMemory(gpu.device, gpu.back_buffer.memory, nullptr);
    gpu.back_buffer = black_storage_image(uint32_t(W));
    bind_image(binding_back_buffer, VK_DESCRIPTOR_TYPE_STORAGE_IMAGE, gpu.back_buffer.view, VK_IMAGE_LAYOUT_GENERAL);
    for (gpu_buffer& readback : gpu.readback)
        if (readback.buffer)
            destroy_buffer(readback), readback = {};
    if (gpu.surface)
        create_swapchain(); // read_back_buffer makes its buffer again when asked
    else
        create_readback_buffers();
}

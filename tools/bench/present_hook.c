// Preloaded into the show by the benchmarks: writes the time of every present
// (CLOCK_REALTIME, seconds) as a line to the file $SWIPEMIX_PRESENT_LOG.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>
#include <vulkan/vulkan.h>

VKAPI_ATTR VkResult VKAPI_CALL vkQueuePresentKHR(VkQueue queue, const VkPresentInfoKHR* info)
{
    static PFN_vkQueuePresentKHR next;
    static int log = -1;
    if (!next) {
        next = (PFN_vkQueuePresentKHR)dlsym(RTLD_NEXT, "vkQueuePresentKHR");
        const char* path = getenv("SWIPEMIX_PRESENT_LOG");
        log = path ? open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644) : -1;
    }
    const VkResult result = next(queue, info);
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    char line[48];
    const int n = snprintf(line, sizeof line, "%lld.%09ld\n", (long long)now.tv_sec, now.tv_nsec);
    if (log >= 0)
        (void)!write(log, line, (size_t)n);
    return result;
}

// The show binary, its clock pinned where the build says (-1 runs it live).
#include <cstdio>
#include <cstring>

#include "driver/show.h"
#include "graphics/device.h"
#include "timeline/clock.h"

int main(int argc, char** argv)
{
    if (argc == 2 && !std::strcmp(argv[1], "--list-devices"))
        return list_devices() ? 0 : 1;
    if (argc == 2 && !std::strcmp(argv[1], "--help")) {
        std::fputs("usage: swipemix [--list-devices]\n"
                   "Plays the show on the whole screen; Escape ends it. --list-devices lists the Vulkan devices,\n"
                   "marking the one drawn on; SWIPEMIX_DEVICE=N (or a part of a device's name) picks another.\n",
                   stdout);
        return 0;
    }
    if (argc > 1) {
        std::fprintf(stderr, "swipemix: unknown option %s (see --help)\n", argv[1]);
        return 2;
    }
    freeze_clock(SWIPEMIX_FROZEN_TIME);
    return run_show();
}

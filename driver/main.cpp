// The show binary, its clock pinned where the build says (-1 runs it live).
#include <cstdio>
#include <string>

#include "driver/show.h"
#include "graphics/device.h"
#include "timeline/clock.h"

int main(int argc, char** argv)
{
    show_options options;
    std::string error;
    if (!parse_show_options(argc, argv, options, error)) {
        std::fprintf(stderr, "swipemix: %s (see --help)\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs("usage: swipemix [--adaptive [--target-fps N] [--show-scale]] [--frame-times FILE] [--list-devices]\n"
                   "Plays the show on the whole screen; Escape ends it. --list-devices lists the Vulkan devices,\n"
                   "marking the one drawn on; SWIPEMIX_DEVICE=N (or a part of a device's name) picks another.\n"
                   "--adaptive draws the effects at 1/2, 1/4 or 1/8 scale, smoothed, while the device cannot hold\n"
                   "N frames a second (default: the display's refresh, at most 60; 30 on a CPU device), and\n"
                   "at full scale, exact, as soon as it can; --show-scale shows the scale in use.\n"
                   "--frame-times writes a line per frame: seconds since the first, row, entry, scale, ms.\n",
                   stdout);
        return 0;
    }
    if (options.list_devices)
        return list_devices() ? 0 : 1;
    freeze_clock(SWIPEMIX_FROZEN_TIME);
    return run_show(options);
}

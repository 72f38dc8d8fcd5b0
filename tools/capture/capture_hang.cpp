#include "tools/capture/capture_hang.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "graphics/authoring.h"
#include "tools/common/shader_dir.h"

namespace {
// The first run of every shader at start-up builds its code: slow, not hung.
constexpr double seconds_per_shader = 1;

const char* effects_dir;
double least_hung_seconds;

void on_device_wait(double waited)
{
    int slots[shader_slots];
    const int running = slots_in_flight(slots);
    const double limit = std::max(least_hung_seconds, seconds_per_shader * running);
    if (waited < limit)
        return;
    const std::string what = suspect_effect(effects_dir, slots, running);
    std::fprintf(stderr, "swipemix-capture: %s does not finish: no frame in %.0f s, so nothing more is rendered\n",
                 what.empty() ? "an effect" : what.c_str(), limit);
    _exit(1); // the device cannot be waited for, nor released, while it runs on
}
}

void end_on_endless_effects(const char* shader_dir, double least_seconds)
{
    effects_dir = shader_dir;
    least_hung_seconds = least_seconds;
    device_wait_hook = on_device_wait;
}

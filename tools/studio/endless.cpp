#include "tools/studio/endless.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "driver/studio_window.h"
#include "graphics/authoring.h"
#include "tools/studio/render.h"
#include "tools/studio/restart.h"

namespace {
// A wait is taken for an effect that never ends after the longest of: this
// many seconds; a few times what frames took of late (a loaded machine or a
// large window is slow, not hung); a share per shader it runs (the first run
// of each, as at start-up, builds its code).
constexpr double least_hung_seconds = 3, times_recent_frames = 4, seconds_per_shader = 0.3;
// Escape during a wait shorter than this is left to the frame loop, which
// quits in order (a render in progress is waited for); past it, the studio
// ends from inside the wait.
constexpr double quit_in_order_seconds = 0.5;

int saved_argc;
char** saved_argv;
const char* effects_dir;
const transport_state* studio_place;
bool announced;
double last_waited;
double recent_frames; // the longest recent wait that ended, fading
long long saves_seen;

void restart()
{
    const std::vector<std::string> args = restart_arguments(saved_argc, saved_argv, *studio_place);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::fprintf(stderr, "swipemix-studio: an effect was saved; starting afresh at row %g%s\n", studio_place->row,
                 studio_place->paused ? ", paused" : "");
    // The window, the sound and the watchers must go with this process, not live on in the next.
    for (int fd = 3, last = int(std::min(sysconf(_SC_OPEN_MAX), 65536L)); fd < last; ++fd)
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    execv("/proc/self/exe", argv.data());
    std::perror("swipemix-studio: cannot start afresh");
    _exit(1);
}

void announce(const int* slots, int running)
{
    const std::string what = suspect_effect(effects_dir, slots, running);
    const std::string line = (what.empty() ? "an effect" : what) +
                             " does not finish; save a fixed effect to go on, or press Escape";
    std::fprintf(stderr, "swipemix-studio: %s\n", line.c_str());
    set_window_title(line.c_str());
    announced = true;
    saves_seen = newest_save(effects_dir);
}

void on_device_wait(double waited)
{
    // The device may be busy for good; only the process's end stops it. A
    // render is still closed first, so the file is playable once the studio is gone.
    if (waited >= quit_in_order_seconds && quit_asked()) {
        stop_render();
        _exit(0);
    }
    if (waited < last_waited) { // a new wait: the one before ended
        recent_frames = std::max(recent_frames * 0.9, last_waited);
        if (announced) {
            std::fprintf(stderr, "swipemix-studio: the frame came after all\n");
            set_window_title("swipemix studio");
            announced = false;
        }
    }
    last_waited = waited;
    int slots[shader_slots];
    const int running = slots_in_flight(slots);
    if (waited < std::max({least_hung_seconds, times_recent_frames * recent_frames, seconds_per_shader * running}))
        return;
    if (!announced)
        announce(slots, running);
    else if (newest_save(effects_dir) != saves_seen)
        restart();
}

// The device is gone (a GPU's driver stopped an endless effect): as for a
// wait without end, but nothing more can be drawn until the fix restarts the studio.
void on_device_lost()
{
    int slots[shader_slots];
    announce(slots, slots_in_flight(slots));
    for (;;) {
        if (quit_asked()) {
            stop_render();
            _exit(0);
        }
        if (newest_save(effects_dir) != saves_seen)
            restart();
        wait_for_event(0.1);
    }
}
}

void watch_for_endless_effects(int argc, char** argv, const char* shader_dir, const transport_state* place)
{
    saved_argc = argc;
    saved_argv = argv;
    effects_dir = shader_dir;
    studio_place = place;
    device_wait_hook = on_device_wait;
    device_lost_hook = on_device_lost;
}

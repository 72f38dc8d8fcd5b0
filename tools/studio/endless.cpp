#include "tools/studio/endless.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "driver/studio_window.h"
#include "graphics/authoring.h"
#include "tools/studio/costs.h"
#include "tools/studio/render.h"
#include "tools/studio/rest.h"
#include "tools/studio/restart.h"

namespace {
// A wait is taken for an effect that never ends once the device has had the
// cores for the longest of (a wait on a machine busy with a render or other
// work counts for the share of the cores it could have had): this many
// seconds; a few times what frames took of late (a large window is slow, not
// hung); a share per shader it runs (the first run of each, as at start-up,
// builds its code).
constexpr double least_hung_seconds = 3, times_recent_frames = 4, seconds_per_shader = 0.3;
// Escape during a wait shorter than this is left to the frame loop, which
// quits in order (a render in progress is waited for); past it, the studio
// ends from inside the wait.
constexpr double quit_in_order_seconds = 0.5;

int saved_argc;
char** saved_argv;
const char* effects_dir;
const transport_state* studio_place;
const int* entries_at_rows;
bool announced;
double last_waited;
double worked;        // of this wait: the seconds the device could have had the cores (below)
double recent_frames; // the most worked by a recent wait that ended, fading
long long saves_seen;

// The costs measured so far, in a file the next process inherits: the strip keeps its colours.
std::string costs_kept()
{
    const int fd = memfd_create("swipemix-costs", 0);
    const std::string text = costs_text(entries_at_rows);
    if (fd < 0 || write(fd, text.data(), text.size()) != ssize_t(text.size()))
        return "";
    return "/proc/self/fd/" + std::to_string(fd);
}

void restart()
{
    // The window, the sound and the watchers must go with this process, not live on in the next.
    for (int fd = 3, last = int(std::min(sysconf(_SC_OPEN_MAX), 65536L)); fd < last; ++fd)
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    const std::vector<std::string> args = restart_arguments(saved_argc, saved_argv, *studio_place, costs_kept());
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::fprintf(stderr, "swipemix-studio: an effect was saved; starting afresh at row %g%s\n", studio_place->row,
                 studio_place->paused ? ", paused" : "");
    execv("/proc/self/exe", argv.data());
    std::perror("swipemix-studio: cannot start afresh");
    _exit(1);
}

// The share of the cores this process can have now: every task that wants
// one (a render's, another program's, the device's own threads) takes its
// turn, so a wait on a busy machine is not the effect's fault alone.
double share_of_cores()
{
    static const long cores = std::max(1L, sysconf(_SC_NPROCESSORS_ONLN));
    int running = 0, total;
    double load[3];
    if (FILE* file = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(file, "%lf %lf %lf %d/%d", &load[0], &load[1], &load[2], &running, &total) != 5)
            running = 0;
        std::fclose(file);
    }
    return std::min(1.0, double(cores) / std::max(1, running - 1)); // less this thread, reading
}

// Escape or an ending signal: a render is still closed first, so the file is
// playable once the studio is gone.
void quit_if_asked()
{
    if (!quit_asked() && !end_signal())
        return;
    if (poll_render().running) {
        stop_render();
        std::fprintf(stderr, "swipemix-studio: %s\n", render_outcome(poll_render()).c_str());
    }
    _exit(end_signal() ? 128 + end_signal() : 0);
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
    // The device may be busy for good; only the process's end stops it.
    if (waited >= quit_in_order_seconds)
        quit_if_asked();
    if (waited < last_waited) { // a new wait: the one before ended
        recent_frames = std::max(recent_frames * 0.9, worked);
        worked = last_waited = 0;
        if (announced) {
            std::fprintf(stderr, "swipemix-studio: the frame came after all\n");
            set_window_title("swipemix studio");
            announced = false;
        }
    }
    worked += (waited - last_waited) * share_of_cores();
    last_waited = waited;
    int slots[shader_slots];
    const int running = slots_in_flight(slots);
    if (worked < std::max({least_hung_seconds, times_recent_frames * recent_frames, seconds_per_shader * running}))
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
        quit_if_asked();
        if (newest_save(effects_dir) != saves_seen)
            restart();
        wait_for_event(0.1);
    }
}
}

void watch_for_endless_effects(int argc, char** argv, const char* shader_dir, const transport_state* place,
                               const int* entries)
{
    entries_at_rows = entries;
    saved_argc = argc;
    saved_argv = argv;
    effects_dir = shader_dir;
    studio_place = place;
    device_wait_hook = on_device_wait;
    device_lost_hook = on_device_lost;
}

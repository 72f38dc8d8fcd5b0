#include "tools/studio/rest.h"

#include <signal.h>

#include <cstdio>
#include <initializer_list>

#include "driver/studio_window.h"

namespace {
// Files and the editor are polled, not waited on: this often they are seen.
constexpr double poll_seconds = 0.1;

volatile sig_atomic_t asked, ending;
long presents, exact_stills;
double last_row, last_still_delay = -1;
int last_scale;
}

void count_frames_on_signal()
{
    struct sigaction action = {};
    action.sa_handler = [](int) { asked = 1; };
    sigaction(SIGUSR1, &action, nullptr);
}

void end_in_order_on_signals()
{
    // A closed terminal or a kill must not leave a render running on without its studio.
    struct sigaction action = {};
    action.sa_handler = [](int signal) { ending = signal; };
    for (int signal : {SIGTERM, SIGHUP, SIGINT})
        sigaction(signal, &action, nullptr);
}

int end_signal() { return ending; }

void rest() { wait_for_event(poll_seconds); }

void count_present(double row, int scale, bool exact_still, double since_change)
{
    ++presents;
    last_row = row, last_scale = scale;
    if (exact_still) {
        ++exact_stills;
        last_still_delay = since_change;
    }
}

void report_if_asked()
{
    if (!asked)
        return;
    asked = 0;
    std::fprintf(stderr,
                 "swipemix-studio: %ld frame%s presented (the last at row %.2f, scale 1/%d), %ld exact still%s, "
                 "the last %.3f s after its change\n",
                 presents, presents == 1 ? "" : "s", last_row, last_scale, exact_stills, exact_stills == 1 ? "" : "s",
                 last_still_delay);
}

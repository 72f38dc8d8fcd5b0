#include "tools/capture/capture_stop.h"

#include <signal.h>
#include <unistd.h>

namespace {
volatile sig_atomic_t deferred_stop;
volatile sig_atomic_t noted;

void on_stop(int signal)
{
    if (deferred_stop) {
        noted = signal;
        return;
    }
    static const char interrupted[] = "swipemix-capture: interrupted\n", terminated[] = "swipemix-capture: terminated\n";
    if (signal == SIGINT)
        (void)!write(2, interrupted, sizeof interrupted - 1);
    else
        (void)!write(2, terminated, sizeof terminated - 1);
    _exit(128 + signal);
}
}

void catch_stop_signals()
{
    struct sigaction action = {};
    action.sa_handler = on_stop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void defer_stop() { deferred_stop = 1; }

int stop_signal() { return noted; }

const char* stop_word() { return noted == SIGTERM ? "terminated" : "interrupted"; }

int stop_status() { return 128 + noted; }

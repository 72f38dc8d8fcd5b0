#include "driver/show.h"

#include <fcntl.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <cstdlib>

#include "driver/feed.h"
#include "driver/frame.h"
#include "driver/governor.h"
#include "driver/startup.h"
#include "driver/window.h"
#include "graphics/atlas.h"
#include "graphics/device.h"
#include "graphics/scale_label.h"
#include "music/playback.h"
#include "music/tracks.h"
#include "shared/state.h"
#include "timeline/clock.h"
#include "timeline/sync.h"

namespace {
constexpr int coarsest_index = 3, coarsest_scale = 1 << coarsest_index; // 1/8

// The scale this frame's passes can all be drawn at: the chosen one once
// built, else the nearest coarser one built (they are built coarsest first),
// else full scale.
int built_scale(const feed_state& feed, int chosen)
{
    pass_descriptor passes[pass_count];
    plan_passes(feed, slots_filled(), W, passes);
    for (int scale = chosen; scale > 1 && scale <= coarsest_scale; scale *= 2) {
        bool ready = true;
        for (const pass_descriptor& pass : passes)
            ready = ready && preview_scale_ready(pass.shader_slot, scale);
        if (ready)
            return scale;
    }
    return 1;
}

double seconds_now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

// --frame-times: a line per presented frame, written through at once, since
// the show ends without closing anything. Opened without waiting: a FIFO
// with no reader is refused rather than holding the show before its start.
bool open_frame_times(const char* path, FILE*& file)
{
    file = nullptr;
    if (!path)
        return true;
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0 || !(file = fdopen(fd, "w"))) {
        std::fprintf(stderr, "swipemix: cannot write --frame-times %s (%s)\n", path, std::strerror(errno));
        return false;
    }
    std::fputs("seconds row entry scale ms\n", file);
    return true;
}

// The window, the back buffer's width from it, and the device; false where
// either cannot start, which has said why.
bool start_window_and_device()
{
    if (!create_window())
        return false;
    set_back_buffer_width(window_back_buffer_width());
    const window_link link = show_window_link();
    return start_device(&link);
}
}

int run_show(const show_options& options)
{
    FILE* frame_times;
    if (!open_frame_times(options.frame_times, frame_times))
        return 1;
    start_loading_tracks(); // decodes while the window, the device and the shaders start
    start_compiling_shaders(nullptr);
    start_drawing_caption_atlas();
    if (!start_window_and_device()) {
        wait_for_compiles(); // nor may the compiling ones
        take_caption_atlas(); // nor the drawing one
        wait_for_tracks(); // the decoding thread may not outlive the show
        return 1;
    }
    if (options.adaptive)
        build_preview_scales_later(coarsest_scale);
    start_shaders(nullptr);
    const int fps = adaptive_target_fps(options.target_fps, display_refresh_hz(), device_is_cpu());
    const double budget_ms = adaptive_budget_ms(fps);
    if (options.adaptive)
        std::fprintf(stderr, "swipemix: adaptive: the effects are drawn at full, 1/2, 1/4 or 1/8 scale to hold %d frames a second\n",
                     fps);
    if (options.show_scale)
        make_scale_labels();
    governor_state governor;
    governor.coarsest = coarsest_index;
    feed_state feed = start_music_and_clock();

    const double started = seconds_now();
    double began = started;
    int frames_since_build = 0;
    for (;;) {
        pump_one_message();
        const double now = clock_now();
        const int entry = update_feed(feed, now);
        select_track(entry);
        const int chosen = options.adaptive ? 1 << governor.index : 1;
        const int scale = chosen > 1 ? built_scale(feed, chosen) : 1;
        if (options.adaptive)
            set_preview_scale(scale);
        draw_passes(feed);
        if (options.show_scale)
            draw_scale_label(scale);
        present();
        const double presented = seconds_now(), ms = (presented - began) * 1000;
        if (options.adaptive && scale == chosen) // the governor learns only from frames at its own scale
            governor_step(governor, ms, budget_ms);
        if (frame_times) {
            std::fprintf(frame_times, "%.4f %.3f %d %d %.2f\n", presented - started, now, entry, scale, ms);
            std::fflush(frame_times);
        }
        // The next slot's reduced scales, in the show's order, between frames and outside their times:
        // at once while the frame on screen had none to use, else one every third frame, so that the
        // show moves on while they are built (each costs about a frame on a CPU device).
        ++frames_since_build;
        const bool wanting = chosen > 1 && scale == 1;
        const bool built = options.adaptive && (wanting || frames_since_build >= 3) && build_next_preview_scales();
        if (built)
            frames_since_build = 0;
        began = built ? seconds_now() : presented;
        if (escape_requested() || feed.time > float(show_end_seconds))
            std::_Exit(0); // nothing to release: the process owns it all
    }
}

#include "driver/show.h"

#include <cstdlib>

#include "driver/feed.h"
#include "driver/frame.h"
#include "driver/startup.h"
#include "driver/window.h"
#include "graphics/device.h"
#include "music/playback.h"
#include "shared/state.h"
#include "timeline/clock.h"
#include "timeline/sync.h"

int run_show()
{
    if (!create_window())
        return 1;
    set_back_buffer_width(window_back_buffer_width());
    const window_link link = show_window_link();
    if (!start_device(&link))
        return 1;
    start_shaders(nullptr);
    feed_state feed = start_music_and_clock();

    for (;;) {
        pump_one_message();
        const double now = clock_now();
        select_track(update_feed(feed, now));
        draw_passes(feed);
        present();
        if (escape_requested() || feed.time > float(show_end_seconds))
            std::_Exit(0); // nothing to release: the process owns it all
    }
}

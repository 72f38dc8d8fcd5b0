// The show: builds everything in a fixed order, then runs frames until Escape
// or show time passes 214 s.
#include <cstdlib>

#include "driver/feed.h"
#include "driver/frame.h"
#include "driver/window.h"
#include "graphics/device.h"
#include "graphics/noise.h"
#include "music/playback.h"
#include "music/tracks.h"
#include "shared/state.h"
#include "timeline/clock.h"

int main()
{
    if (!create_window())
        return 1;
    const window_link link = show_window_link();
    if (!create_device(&link))
        return 1;
    fillrand(); // after the device: it advances the generator state from its seed
    create_noise_volume();
    build_atlas();
    create_constant_buffer();
    compile_shaders(nullptr);
    present();
    load_tracks();
    play_track(track_table[current_track]);
    start_clock();
    frame_constants[slot_feed_position] = 0;

    for (;;) {
        pump_one_message();
        const double now = clock_now();
        select_track(update_feed(now));
        draw_passes();
        present();
        if (escape_requested() || frame_constants[slot_time] > 214.0f)
            std::_Exit(0); // nothing to release: the process owns it all
    }
}

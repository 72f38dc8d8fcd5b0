// swipemix-studio: the show in an ordinary window, with transport keys and
// effects that reload from their files while it plays.
#include <cstdio>
#include <cstring>
#include <string>

#include "driver/feed.h"
#include "driver/frame.h"
#include "driver/window.h"
#include "music/playback.h"
#include "music/tracks.h"
#include "timeline/clock.h"
#include "tools/capture_render.h"
#include "tools/studio/live_shaders.h"
#include "tools/studio/seek.h"
#include "tools/studio/transport.h"

namespace {
constexpr double display_fps = 60; // the feed is eased at the show's display rate

const char* const help =
    "usage: swipemix-studio [--shader-dir DIR] [--help]\n"
    "The show in a window; effect files in DIR (default: the source tree's graphics/shaders) reload when saved.\n"
    "  Space            pause / resume\n"
    "  Left / Right     one row back / forward (Shift: 8 rows)\n"
    "  Page Up / Down   previous / next entry\n"
    "  Home             row 0\n"
    "  [ / ]            loop start / end at the current row\n"
    "  \\                clear the loop\n"
    "  Escape           quit\n";

transport_state transport = {0, false, 0, -1};
double anchor_row; // row at which the clock was last started

// Puts the show at transport.row as if played from row 0, music included.
void jump()
{
    const double position = seek_show(display_fps, transport.row);
    anchor_row = transport.row;
    start_clock();
    if (transport.paused)
        stop_playback();
    else
        restart_track(track_table[current_track], position);
}

void show_errors_in_title()
{
    static std::string shown;
    std::string errors = shader_errors();
    if (errors == shown)
        return;
    shown = errors;
    if (!errors.empty())
        std::fputs(errors.c_str(), stderr);
    const size_t line_end = errors.find('\n', errors.find('\n') + 1);
    set_window_title(errors.empty() ? "swipemix studio" : errors.substr(0, line_end).c_str());
}
}

int main(int argc, char** argv)
{
    const char* shader_dir = SWIPEMIX_SHADER_DIR;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help")) {
            std::fputs(help, stdout);
            return 0;
        }
        if (!std::strcmp(argv[i], "--shader-dir") && i + 1 < argc) {
            shader_dir = argv[++i];
            continue;
        }
        std::fputs(help, stderr);
        return 2;
    }
    if (!create_studio_window(1280, 720))
        return 1;
    const window_link link = show_window_link();
    if (!start_windowed_renderer(&link, shader_dir))
        return 1;
    watch_shaders(shader_dir);
    load_tracks();
    play_track(track_table[current_track]);
    double entry_rows[entry_count];
    find_entry_rows(entry_rows);
    jump();

    for (;;) {
        bool jumped = false;
        for (studio_key key; (key = next_studio_key()) != studio_key::none;) {
            if (key == studio_key::quit)
                return 0;
            const bool was_paused = transport.paused;
            jumped |= apply_key(transport, key, entry_rows);
            if (transport.paused != was_paused)
                jumped = true; // resume restarts the clock and music where the frame stands
        }
        if (!transport.paused && !jumped) {
            transport.row = anchor_row + clock_now();
            if (transport.row > studio_end_row)
                transport.row = studio_end_row, transport.paused = true, jumped = true;
            jumped |= wrap_loop(transport);
        }
        if (jumped)
            jump();
        else if (!transport.paused)
            select_track(update_feed(transport.row));
        swap_in_shaders(); // at the frame boundary
        show_errors_in_title();
        // A live sync editor would be driven here, once a frame, before drawing.
        draw_passes();
        present();
    }
}

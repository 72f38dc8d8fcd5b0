// swipemix-studio: the show in an ordinary window, with transport keys, an
// on-screen display, and effects and timeline that reload from their files
// (or follow a sync editor) while it plays.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "driver/authoring.h"
#include "driver/feed.h"
#include "driver/frame.h"
#include "driver/studio_window.h"
#include "graphics/authoring.h"
#include "music/authoring.h"
#include "music/tracks.h"
#include "timeline/clock.h"
#include "tools/rocket/rocket_link.h"
#include "tools/stepped/stepped_show.h"
#include "tools/studio/costs.h"
#include "tools/studio/endless.h"
#include "tools/studio/envelope.h"
#include "tools/studio/live_shaders.h"
#include "tools/studio/live_timeline.h"
#include "tools/studio/options.h"
#include "tools/studio/preview.h"
#include "tools/studio/render.h"
#include "tools/studio/rest.h"
#include "tools/studio/screen.h"
#include "tools/studio/seek.h"
#include "tools/studio/shot.h"
#include "tools/studio/show_map.h"
#include "tools/studio/transport.h"

namespace {
constexpr double display_fps = 60;       // the feed is eased at the show's display rate
constexpr double notice_seconds = 6;     // how long a notice stays on screen
constexpr double flash_seconds = 2;      // a reload that went well says so briefly

double seconds_now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

transport_state transport = {0, false, 0, -1};
double anchor_row;       // row at which the clock was last started
double music_origin_row; // row at which the playing track would have begun
show_map map;
float envelope[mapped_rows];

// The edited timeline whose tables the feed plays, kept alive here; null
// while the show's own plays.
std::shared_ptr<const packed_timeline> edited_timeline;

// Puts the show at transport.row as if played from row 0, music included.
void jump()
{
    const double position = seek_show(display_fps, transport.row);
    anchor_row = transport.row;
    music_origin_row = transport.row - position / row_seconds;
    start_clock();
    if (transport.paused)
        stop_playback();
    else
        restart_track(track_table[current_track], position);
}

// An edited timeline in the show's place, or with null the show's own.
void install_timeline(std::shared_ptr<const packed_timeline> timeline)
{
    const sync_tables tables = timeline ? timeline->view() : show_sync;
    play_timeline(tables);
    edited_timeline = std::move(timeline); // the tables it replaces are no longer played
    map_show(display_fps, map);
    music_envelope(map, envelope);
}

// The capture tool built beside this program.
std::string capture_program()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return (error ? std::filesystem::path(".") : self.parent_path()) / "swipemix-capture";
}

struct notice {
    std::string text;
    double until;
};

studio_options o;
rocket_link* editor = nullptr; // with --rocket
std::vector<std::string> editor_problems;
std::vector<notice> notices;
preview_state preview;
bool display_shown = true, dragging = false, rendering = false;
bool changed = true;                      // the picture on screen is not the frame's any more
studio_key shot = studio_key::none;       // a shot to take of this frame
std::vector<std::string> lines_shown;
double frame_ms = 0, last_present = 0, changed_at = 0;

// Every line the screen must show: errors for as long as they hold, notices for a while.
std::vector<std::string> message_lines(double now)
{
    std::vector<std::string> lines;
    auto add_text = [&lines](const std::string& text) {
        for (size_t at = 0; at < text.size();) {
            size_t end = text.find('\n', at);
            if (end == std::string::npos)
                end = text.size();
            lines.push_back(text.substr(at, end - at));
            at = end + 1;
        }
    };
    static std::string shown_shader_errors;
    const std::string shader_text = shader_errors();
    if (shader_text != shown_shader_errors && !shader_text.empty())
        std::fputs(shader_text.c_str(), stderr);
    shown_shader_errors = shader_text;
    add_text(shader_text);
    add_text(timeline_errors());
    for (const std::string& p : editor_problems)
        add_text(p);
    std::erase_if(notices, [now](const notice& n) { return n.until < now; });
    for (const notice& n : notices)
        add_text(n.text);
    return lines;
}

// A short notice; a newer one of the same text replaces it.
void flash(const std::string& text, double now)
{
    std::erase_if(notices, [&](const notice& n) { return n.text == text; });
    notices.push_back({text, now + flash_seconds});
}

// A line on stderr, and on screen for a while.
void say(const std::string& line, double now)
{
    std::fprintf(stderr, "swipemix-studio: %s\n", line.c_str());
    notices.push_back({line, now + notice_seconds});
}

// Writes the shot and says where, on screen and on stderr.
void take_shot(double row, bool whole, double now)
{
    std::string error;
    const std::string path = write_shot(o.shots, row, whole, error);
    say(path.empty() ? "no shot: " + error : "shot " + path, now);
}

// Once a render has ended: where it went, or why it did not.
void say_render_end(const render_job& job, double now)
{
    rendering = false;
    say(render_outcome(job), now);
}

// What one time round the loop did to the transport.
struct moves {
    bool jumped = false;       // the show must be sought anew at transport.row
    bool author_moved = false; // by the author's hand, not the clock
};

// Options, window, device, effects, music, timeline and editor, in that order.
// Returns -1 to go on, or the exit status.
int start_studio(int argc, char** argv)
{
    std::string error;
    if (const int r = read_studio_options(argc, argv, o, error)) {
        if (error.empty())
            std::fputs(studio_help.c_str(), r == 1 ? stdout : stderr);
        else
            std::fprintf(stderr, "%s\n", error.c_str());
        return r == 1 ? 0 : 2;
    }
    if (o.list_devices)
        return list_devices() ? 0 : 1;
    set_cost_budget(o.budget_ms);
    std::string costs_note;
    if (o.costs && !load_costs(o.costs, error, costs_note)) {
        std::fprintf(stderr, "swipemix-studio: %s\n", error.c_str());
        return 2;
    }
    if (!costs_note.empty())
        say(costs_note, seconds_now());
    count_frames_on_signal(); // before anything can take long: the signal's default would end the studio
    transport = {o.start_row, o.paused, o.loop_start, o.loop_end};
    watch_for_endless_effects(argc, argv, o.shader_dir, &transport, map.track);
    // Watched before they are read: a save while the shaders compile is not lost.
    watch_shaders(o.shader_dir);
    if (!o.rocket)
        watch_timeline(o.timeline_path);
    if (!create_studio_window(1280, 720))
        return 1;
    set_back_buffer_width(window_back_buffer_width());
    const window_link link = show_window_link();
    build_preview_scales();
    if (!start_windowed_renderer(&link, o.shader_dir))
        return 1;
    follow_shaders();
    load_music("swipemix-studio", o.music_dir);
    play_track(track_table[current_track]);

    reload_timeline(o.timeline_path);
    install_timeline(take_timeline()); // null: the built-in timeline plays until the file packs
    if (o.rocket) {
        timeline_source start = last_good_source();
        if (start.tracks.empty())
            start = unpack_timeline(show_sync);
        editor = rocket_open({o.editor, o.timeline_path, rocket_from_source(start)});
    } else {
        follow_timeline_file();
    }
    end_in_order_on_signals();
    jump();
    preview.mode = o.preview, preview.budget_ms = o.budget_ms;
    changed_at = seconds_now();
    return -1;
}

// Ctrl+R: renders the loop, or the entry on screen, with the capture tool; one at a time.
void start_render_asked(double now)
{
    const render_job& job = poll_render();
    if (job.running) {
        say("a render is already running: " + job.path + ", " + std::to_string(job.done) + " of " +
                std::to_string(job.frames) + " frames", now);
        return;
    }
    double from, to;
    render_rows(transport.row, transport.loop_start, transport.loop_end, map, from, to);
    std::string error;
    rendering = start_render(capture_program(), o.shader_dir, o.timeline_path,
                             editor ? format_timeline(rocket_to_source(rocket_keys(*editor))) : "", o.music_dir,
                             o.shots, from, to, error);
    if (rendering) // its progress line takes over from here
        std::fprintf(stderr, "swipemix-studio: rendering %s\n", poll_render().path.c_str());
    else
        say("cannot render: " + error, now);
}

// One key press. False when the studio is to quit.
bool take_key(studio_key key, double now, moves& m)
{
    changed = true;
    if (key == studio_key::quit)
        return false;
    if (key == studio_key::toggle_display)
        display_shown = !display_shown;
    if (key == studio_key::preview_scale)
        cycle_preview_mode(preview);
    if (key == studio_key::resized)
        set_back_buffer_width(window_back_buffer_width());
    if (key == studio_key::press || key == studio_key::drag) {
        double x, y;
        pointer_at(x, y);
        if (key == studio_key::press)
            dragging = display_shown && y * frame_height >= frame_height - strip_height;
        if (dragging) {
            transport.row = strip_row(x); // seeks as the keys do
            m.jumped = m.author_moved = true;
        }
    }
    if (key == studio_key::shot || key == studio_key::shot_whole) {
        shot = key;
        transport.row = shot_row(transport.row); // exactly the row the name gives
        m.jumped = true;
    }
    if (key == studio_key::render)
        start_render_asked(now);
    const bool was_paused = transport.paused;
    const bool moved = apply_key(transport, key, map.settled);
    m.jumped |= moved, m.author_moved |= moved;
    if (transport.paused != was_paused) {
        m.jumped = true; // resume restarts the clock and music where the frame stands
        if (editor)
            rocket_author_paused(*editor, transport.paused);
    }
    return true;
}

// The editor's changes, or a timeline file saved.
void follow_timeline(double now, moves& m)
{
    if (editor) {
        rocket_events ev = rocket_poll(*editor, now);
        for (std::string& line : ev.lines)
            say(line, now);
        if (ev.timeline) {
            // The editor's packed tables, kept alive with the rest of its timeline.
            install_timeline(std::shared_ptr<const packed_timeline>(ev.timeline, &ev.timeline->packed));
            editor_problems = ev.timeline->problems;
            m.jumped = true;
        }
        if (ev.paused >= 0 && bool(ev.paused) != transport.paused)
            transport.paused = ev.paused, m.jumped = true;
        if (ev.seek_row >= 0)
            transport.row = std::min<double>(ev.seek_row, show_end_row), m.jumped = true;
    } else if (std::shared_ptr<const packed_timeline> file = take_timeline()) {
        install_timeline(std::move(file));
        m.jumped = true; // the same row under the new timeline
        flash("timeline reloaded", now);
    }
}

// The clock moves the row while playing; the feed and music follow the row.
void advance_show(moves& m)
{
    if (!transport.paused && !m.jumped) {
        transport.row = anchor_row + clock_now();
        if (transport.row > show_end_row)
            transport.row = show_end_row, transport.paused = true, m.jumped = true;
        m.jumped |= wrap_loop(transport);
    }
    if (m.jumped)
        jump();
    else if (!transport.paused) {
        const int playing = current_track;
        select_track(update_feed(transport.row));
        if (current_track != playing)
            music_origin_row = transport.row;
    }
    // The editor's cursor follows the show while it plays and the author's own steps while paused.
    if (editor && (!transport.paused || m.author_moved))
        rocket_playing_row(*editor, int(transport.row));
}

// The display's lines: errors, notices, a recompile's and a render's progress.
std::vector<std::string> screen_lines(double now)
{
    std::vector<std::string> lines = message_lines(now);
    if (const std::string compiling = recompile_progress(); !compiling.empty())
        lines.push_back(compiling);
    const render_job& job = poll_render();
    if (job.running)
        lines.push_back("rendering " + job.path + ": " + std::to_string(job.done) + " of " +
                        std::to_string(job.frames) + " frames");
    else if (rendering)
        say_render_end(job, now);
    return lines;
}

// The frame at `scale` with the display over it, the shots asked for, presented.
void draw_frame(int scale, const std::vector<std::string>& lines, double now)
{
    const double drawing = seconds_now();
    set_preview_scale(scale);
    draw_passes();
    pass_descriptor passes[pass_count];
    plan_passes(passes);
    shaders_on_screen(passes[0].shader_slot, passes[1].shader_slot);
    if (shot == studio_key::shot)
        take_shot(transport.row, false, now);

    const music_track& music = track_table[current_track];
    const double music_seconds = std::min((transport.row - music_origin_row) * row_seconds, music.duration);
    const studio_view view = {transport.row,     transport.paused,     current_track,
                              music_seconds,     music.duration,       frame_ms,
                              scale,             preview.mode == preview_auto,
                              transport.loop_start, transport.loop_end, frame_constants + slot_tracks,
                              envelope,          map.track,            editor ? rocket_state(*editor) : ""};
    draw_studio_screen(view, display_shown, lines);
    if (shot == studio_key::shot_whole)
        take_shot(transport.row, true, now);
    present();
    if (shot == studio_key::none && scale == 1) // the strip maps the show's own cost; a shot's read-back is none of it
        note_cost(transport.row, (seconds_now() - drawing) * 1000);
    shot = studio_key::none;
}

// After a present: the governor's and the display's frame times.
void time_frame(int scale, double began, bool new_shaders, double saved_at)
{
    const double presented = seconds_now();
    count_present(transport.row, scale, transport.paused && scale == 1, presented - changed_at);
    if (new_shaders)
        std::fprintf(stderr, "swipemix-studio: new effect on screen %.2f s after the save\n", presented - saved_at);
    if (!transport.paused) {
        frame_timed(preview, scale, (presented - began) * 1000);
        // Frames per second only count frames played one after the other.
        if (last_present > 0) {
            const double ms = (presented - last_present) * 1000;
            frame_ms = frame_ms > 0 ? frame_ms * 0.9 + ms * 0.1 : ms;
        }
    }
    last_present = transport.paused ? 0 : presented;
}

// Escape, or a signal to end: a render in progress is closed first.
int end_studio(double now)
{
    stop_render();
    if (rendering)
        say_render_end(poll_render(), now);
    rocket_close(editor);
    return end_signal() ? 128 + end_signal() : 0;
}
}

int main(int argc, char** argv)
{
    if (const int exit_code = start_studio(argc, argv); exit_code >= 0)
        return exit_code;
    for (;;) {
        const double now = seconds_now();
        const double row_before = transport.row;
        const bool playing_before = !transport.paused;
        moves m;
        if (end_signal())
            return end_studio(now);
        for (studio_key key; (key = next_studio_key()) != studio_key::none;)
            if (!take_key(key, now, m))
                return end_studio(now);
        follow_timeline(now, m);
        advance_show(m);
        double saved_at;
        const bool new_shaders = swap_in_shaders(&saved_at); // at the frame boundary
        if (new_shaders && shader_errors().empty() && recompile_progress().empty())
            flash("effect reloaded", now); // once, however many shaders a save feeds
        std::vector<std::string> lines = screen_lines(now);
        changed |= m.jumped || new_shaders;
        // A stop where the frame stands has its quick frame on screen already, and new lines alone leave
        // the picture as it was: either way the exact frame comes at once, so a render's progress or a
        // notice never holds a quick frame on screen. A shot is of the exact frame too.
        const bool stopped = playing_before && transport.paused && transport.row == row_before && !new_shaders;
        const bool relabelled = lines != lines_shown;
        const bool exact = shot != studio_key::none || stopped || (transport.paused && relabelled && !changed);
        if (changed || relabelled)
            changed_at = now;
        report_if_asked();
        const int scale = scale_to_draw(preview, transport.paused, changed || relabelled, exact);
        changed = false;
        if (!scale) {
            rest(); // paused and nothing new: the still on screen is exact
            continue;
        }
        draw_frame(scale, lines, now);
        lines_shown = std::move(lines);
        time_frame(scale, now, new_shaders, saved_at);
    }
}

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
#include "tools/studio/beat_marks.h"
#include "tools/studio/bindings.h"
#include "tools/studio/compare.h"
#include "tools/studio/costs.h"
#include "tools/studio/endless.h"
#include "tools/studio/envelope.h"
#include "tools/studio/layout.h"
#include "tools/studio/live_shaders.h"
#include "tools/studio/live_timeline.h"
#include "tools/studio/messages.h"
#include "tools/studio/options.h"
#include "tools/studio/preview.h"
#include "tools/studio/render.h"
#include "tools/studio/rest.h"
#include "tools/studio/screen.h"
#include "tools/studio/seek.h"
#include "tools/studio/shot.h"
#include "tools/studio/show_map.h"
#include "tools/studio/strip_view.h"
#include "tools/studio/transport.h"

namespace {
constexpr frame_rate display_rate{60, 1}; // the feed is eased at the show's display rate
constexpr double notice_seconds = 6;     // how long a notice stays on screen
constexpr double flash_seconds = least_notice_seconds; // a reload that went well says so briefly

double seconds_now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// Everything the studio keeps between times round its loop.
struct studio {
    studio_options o;
    transport_state transport = {0, false, 0, -1};
    double anchor_row = 0;       // row at which the clock was last started
    track_since music;           // the track playing, and the row at which it would have begun
    feed_state feed;             // the show's feed at transport.row
    last_press press_before;     // for telling a double click on the strip
    double drawn_ms = 0;         // how long the last frame took to draw: input waits meanwhile
    show_map map;
    float envelope[envelope_count];
    beat_marks beats;
    strip_view strip;
    sync_tables tables;      // the timeline playing
    timeline_source source;  // its keys, for the strip
    int chosen_track = 0;    // whose keys the strip marks
    // The edited timeline whose tables the feed plays, kept alive here; null
    // while the show's own plays.
    std::shared_ptr<const packed_timeline> edited_timeline;
    rocket_link* editor = nullptr; // with --rocket
    std::vector<std::string> editor_problems;
    std::vector<notice> notices;
    message_log log; // the last notices, in the display after they leave the screen
    std::string shader_errors_said; // the compiler's text last written to stderr
    preview_state preview;
    bool display_shown = true, dragging = false, rendering = false, help_shown = false;
    ab_view ab = ab_view::now;
    double before_ms = 0, now_ms = 0; // the A/B view's two versions, as last drawn
    bool changed = true;                               // the picture on screen is not the frame's any more
    studio_command shot = studio_command::none;        // a shot to take of this frame
    std::vector<std::string> lines_shown;
    double frame_ms = 0, last_present = 0, changed_at = 0;
};

// Puts the show at transport.row as if played from row 0, music included.
void jump(studio& s)
{
    const show_place place = seek_show(display_rate, s.transport.row);
    s.feed = place.feed;
    s.anchor_row = s.transport.row;
    s.music = {current_track, s.transport.row - place.music_seconds / row_seconds};
    start_clock();
    if (s.transport.paused)
        stop_playback();
    else
        restart_track(track_table[current_track], place.music_seconds);
}

// An edited timeline in the show's place, or with null the show's own.
void install_timeline(studio& s, std::shared_ptr<const packed_timeline> timeline)
{
    const sync_tables tables = timeline ? timeline->view() : show_sync;
    play_timeline(tables);
    s.edited_timeline = std::move(timeline); // the tables it replaces are no longer played
    map_show(display_rate, s.map);
    music_envelope(s.map, s.envelope);
    mark_beats(s.map, beat_table, s.beats);
    s.tables = tables;
    s.source = unpack_timeline(tables);
}

// The capture tool built beside this program.
std::string capture_program()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return (error ? std::filesystem::path(".") : self.parent_path()) / "swipemix-capture";
}

// Each line of `text`, after those in `lines`.
void add_text(std::vector<std::string>& lines, const std::string& text)
{
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
}

// The compiler's messages go to stderr once each time they change, and only
// once a save's shaders are all compiled: a shared file's error, said as its
// first entry failed, would be said again with the next.
void say_shader_errors(studio& s)
{
    if (recompiling())
        return;
    const std::string text = shader_errors();
    if (text != s.shader_errors_said && !text.empty())
        std::fputs(text.c_str(), stderr);
    s.shader_errors_said = text;
}

// A short notice; a newer one of the same text replaces it.
void flash(studio& s, const std::string& text, double now)
{
    std::erase_if(s.notices, [&](const notice& n) { return n.text == text; });
    s.notices.push_back({text, now + flash_seconds});
    log_notice(s.log, text);
}

// A line on stderr, and on screen for a while.
void say(studio& s, const std::string& line, double now)
{
    std::fprintf(stderr, "swipemix-studio: %s\n", line.c_str());
    s.notices.push_back({line, now + notice_seconds});
    log_notice(s.log, line);
}

// Writes the shot and says where, on screen and on stderr.
void take_shot(studio& s, double row, bool whole, double now)
{
    std::string error;
    const std::string path = write_shot(s.o.shots, row, whole, error);
    say(s, path.empty() ? "no shot: " + error : "shot " + path, now);
}

// Once a render has ended: where it went, or why it did not.
void say_render_end(studio& s, const render_job& job, double now)
{
    s.rendering = false;
    say(s, render_outcome(job), now);
}

// What one time round the loop did to the transport.
struct moves {
    bool jumped = false;       // the show must be sought anew at transport.row
    bool author_moved = false; // by the author's hand, not the clock
};

// Options, window, device, effects, music, timeline and editor, in that order.
// Returns -1 to go on, or the exit status.
int start_studio(studio& s, int argc, char** argv)
{
    std::string error;
    studio_options& o = s.o;
    if (const int r = read_studio_options(argc, argv, o, error)) {
        if (error.empty()) {
            std::FILE* out = r == 1 ? stdout : stderr;
            std::fputs(studio_help.c_str(), out);
            for (const std::string& line : help_lines())
                std::fprintf(out, "  %s\n", line.c_str());
        }
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
        say(s, costs_note, seconds_now());
    count_frames_on_signal(); // before anything can take long: the signal's default would end the studio
    s.transport = {o.start_row, o.paused, o.loop_start, o.loop_end};
    watch_for_endless_effects(argc, argv, o.shader_dir, &s.transport, s.map.track);
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
    install_timeline(s, take_timeline()); // null: the built-in timeline plays until the file packs
    if (o.rocket) {
        timeline_source start = last_good_source();
        if (start.tracks.empty())
            start = unpack_timeline(show_sync);
        s.editor = rocket_open({o.editor, o.timeline_path, rocket_from_source(start)});
    } else {
        follow_timeline_file();
    }
    end_in_order_on_signals();
    jump(s);
    s.preview.mode = o.preview, s.preview.budget_ms = o.budget_ms;
    s.changed_at = seconds_now();
    return -1;
}

// Ctrl+R: renders the loop, or the entry on screen, with the capture tool; one at a time.
void start_render_asked(studio& s, double now)
{
    const render_job& job = poll_render();
    if (job.running) {
        say(s, "a render is already running: " + job.path + ", " + std::to_string(job.done) + " of " +
                   std::to_string(job.frames) + " frames", now);
        return;
    }
    double from, to;
    render_rows(s.transport.row, s.transport.loop_start, s.transport.loop_end, s.map, from, to);
    std::string error;
    s.rendering = start_render(capture_program(), s.o.shader_dir, s.o.timeline_path,
                               s.editor ? format_timeline(rocket_to_source(rocket_keys(*s.editor))) : "",
                               s.o.music_dir, s.o.shots, from, to, error);
    if (s.rendering) // its progress line takes over from here
        std::fprintf(stderr, "swipemix-studio: rendering %s\n", poll_render().path.c_str());
    else
        say(s, "cannot render: " + error, now);
}

// One command. False when the studio is to quit.
bool take_command(studio& s, studio_command command, double now, moves& m)
{
    if (command == studio_command::quit)
        return false;
    if (command == studio_command::toggle_display)
        s.display_shown = !s.display_shown;
    if (command == studio_command::preview_scale)
        cycle_preview_mode(s.preview);
    if (command == studio_command::shot || command == studio_command::shot_whole) {
        s.shot = command;
        s.transport.row = shot_row(s.transport.row); // exactly the row the name gives
        m.jumped = true;
    }
    if (command == studio_command::render)
        start_render_asked(s, now);
    if (command == studio_command::help)
        s.help_shown = !s.help_shown;
    if (command == studio_command::full_screen)
        toggle_full_screen();
    if (command == studio_command::compare) {
        if (versions_kept())
            s.ab = next_view(s.ab);
        else
            say(s, "D compares an entry with its version before a save: nothing saved yet", now);
    }
    if (command == studio_command::zoom_in || command == studio_command::zoom_out)
        s.strip = zoomed(s.strip, s.transport.row, command == studio_command::zoom_in ? 1 / strip_zoom_step : strip_zoom_step);
    if (command == studio_command::track_up || command == studio_command::track_down)
        s.chosen_track = (s.chosen_track + (command == studio_command::track_up ? sync_track_count - 1 : 1)) %
                         sync_track_count;
    if (command == studio_command::previous_beat || command == studio_command::next_beat) {
        const double row = command == studio_command::next_beat ? beat_after(s.beats, s.transport.row)
                                                                : beat_before(s.beats, s.transport.row);
        m.jumped |= row != s.transport.row, m.author_moved |= row != s.transport.row;
        s.transport.row = row;
    }
    const bool was_paused = s.transport.paused;
    const bool moved = apply_key(s.transport, command, s.map.settled);
    m.jumped |= moved, m.author_moved |= moved;
    if (s.transport.paused != was_paused) {
        m.jumped = true; // resume restarts the clock and music where the frame stands
        if (s.editor)
            rocket_author_paused(*s.editor, s.transport.paused);
    }
    return true;
}

// Where the strip lies in the window as it is now.
layout_rect strip_place(const studio& s)
{
    return lay_out(W, window_pixel_height(), s.display_shown).strip;
}

// A double click on the strip: the whole stay of the music heard at `row` becomes the loop.
void select_stay(studio& s, double row)
{
    int first, end;
    stay_at(s.map, int(row), first, end);
    s.transport.loop_start = first, s.transport.loop_end = end;
}

// The wheel over the strip: Ctrl zooms about the pointer; alone it scrolls
// what is in view, when zoomed. True when it was the strip's.
bool wheel_on_strip(studio& s, const input_event& event)
{
    const layout_rect place = strip_place(s);
    if (place.height == 0 || event.y * frame_height < place.y)
        return false;
    const double row = strip_row_at(s.strip, event.x * W, W);
    if (event.mods & input_ctrl)
        s.strip = zoomed(s.strip, row, event.wheel > 0 ? 1 / strip_zoom_step : strip_zoom_step);
    else if (s.strip.rows < show_end_row)
        s.strip = scrolled(s.strip, -event.wheel * s.strip.rows / 8);
    else
        return false;
    return true;
}

// One input event. False when the studio is to quit.
bool take_input(studio& s, const input_event& event, double now, moves& m)
{
    const studio_command command = command_for(event);
    if ((event.kind == input_kind::key || event.kind == input_kind::wheel) && command == studio_command::none)
        return true; // a key with no binding, or a modifier pressed alone, changes nothing
    s.changed = true;
    switch (event.kind) {
    case input_kind::quit: return false;
    case input_kind::resized: set_back_buffer_width(window_back_buffer_width()); return true;
    case input_kind::press:
    case input_kind::drag:
        if (event.kind == input_kind::press)
            s.dragging = s.display_shown && event.y * frame_height >= strip_place(s).y;
        if (event.kind == input_kind::press && double_click(s.press_before, event, s.drawn_ms) && s.dragging) {
            select_stay(s, strip_row_at(s.strip, event.x * W, W));
            return true;
        }
        if (s.dragging) {
            s.transport.row = strip_row(s.strip, event.x); // seeks as the keys do
            m.jumped = m.author_moved = true;
        }
        return true;
    case input_kind::wheel: return wheel_on_strip(s, event) || take_command(s, command, now, m);
    default: return take_command(s, command, now, m);
    }
}

// The editor's changes, or a timeline file saved.
void follow_timeline(studio& s, double now, moves& m)
{
    if (s.editor) {
        rocket_events ev = rocket_poll(*s.editor, now);
        for (std::string& line : ev.lines)
            say(s, line, now);
        if (ev.timeline) {
            // The editor's packed tables, kept alive with the rest of its timeline.
            install_timeline(s, std::shared_ptr<const packed_timeline>(ev.timeline, &ev.timeline->packed));
            s.editor_problems = ev.timeline->problems;
            m.jumped = true;
        }
        if (ev.paused >= 0 && bool(ev.paused) != s.transport.paused)
            s.transport.paused = ev.paused, m.jumped = true;
        if (ev.seek_row >= 0)
            s.transport.row = std::min<double>(ev.seek_row, show_end_row), m.jumped = true;
    } else if (std::shared_ptr<const packed_timeline> file = take_timeline()) {
        install_timeline(s, std::move(file));
        m.jumped = true; // the same row under the new timeline
        flash(s, "timeline reloaded", now);
    }
}

// The clock moves the row while playing; the feed and music follow the row.
void advance_show(studio& s, moves& m)
{
    transport_state& t = s.transport;
    const double before = t.row;
    if (!t.paused && !m.jumped) {
        t.row = s.anchor_row + clock_now();
        if (t.row > show_end_row)
            t.row = show_end_row, t.paused = true, m.jumped = true;
        m.jumped |= wrap_loop(t);
        s.strip = followed(s.strip, before, t.row);
    }
    if (m.author_moved) // a step or a seek out of view brings the view along
        s.strip = followed(s.strip, s.strip.first, t.row);
    if (m.jumped)
        jump(s);
    else if (!t.paused) {
        select_track(update_feed(s.feed, t.row));
        follow_track(s.music, current_track, t.row);
    }
    // The editor's cursor follows the show while it plays and the author's own steps while paused.
    if (s.editor && (!t.paused || m.author_moved))
        rocket_playing_row(*s.editor, int(t.row));
}

// Notices whose time is up go; a render that ended says how.
void age_messages(studio& s, const render_job& job, double now)
{
    std::erase_if(s.notices, [now](const notice& n) { return n.until < now; });
    if (s.rendering && !job.running)
        say_render_end(s, job, now);
}

// The display's lines: errors for as long as they hold, notices, a recompile's and a render's progress.
std::vector<std::string> screen_lines(const studio& s, const render_job& job)
{
    std::vector<std::string> lines;
    add_text(lines, s.shader_errors_said);
    add_text(lines, timeline_errors());
    for (const std::string& p : s.editor_problems)
        add_text(lines, p);
    for (const notice& n : s.notices)
        add_text(lines, n.text);
    if (const std::string compiling = recompile_progress(); !compiling.empty())
        lines.push_back(compiling);
    if (job.running)
        lines.push_back("rendering " + job.path + ": " + std::to_string(job.done) + " of " +
                        std::to_string(job.frames) + " frames");
    return lines;
}

// The A/B view's frame: the version not shown drawn and read back first, then
// the one shown, each timed to its read-back; the difference of the two into
// `difference` when that is what is shown.
void draw_versions(studio& s, std::vector<unsigned char>& difference)
{
    static std::vector<unsigned> first;
    const bool old_first = s.ab != ab_view::before;
    for (int k = 0; k < 2; ++k) {
        const bool old = (k == 0) == old_first;
        if (old)
            exchange_versions();
        const double start = seconds_now();
        draw_passes(s.feed);
        const unsigned* pixels = read_back_buffer();
        (old ? s.before_ms : s.now_ms) = (seconds_now() - start) * 1000;
        if (old)
            exchange_versions();
        const int count = W * frame_height;
        if (k == 0)
            first.assign(pixels, pixels + count);
        else if (s.ab == ab_view::difference) {
            difference.resize(count);
            amplified_difference(first.data(), pixels, count, difference.data());
        }
    }
}

// The frame at `scale` with the display over it, the shots asked for, presented.
void draw_frame(studio& s, int scale, const std::vector<std::string>& lines, double now)
{
    const double drawing = seconds_now();
    const transport_state& t = s.transport;
    set_preview_scale(scale);
    static std::vector<unsigned char> difference;
    const bool comparing = s.ab != ab_view::now && versions_kept() && scale == 1;
    if (comparing)
        draw_versions(s, difference);
    else
        draw_passes(s.feed);
    pass_descriptor passes[pass_count];
    plan_passes(s.feed, slots_filled(), W, passes);
    shaders_on_screen(passes[0].shader_slot, passes[1].shader_slot);
    if (s.shot == studio_command::shot)
        take_shot(s, t.row, false, now);

    const music_track& music = track_table[current_track];
    const double music_seconds = std::min((t.row - s.music.since) * row_seconds, music.duration);
    studio_view view = {t.row,          t.paused,         current_track,
                              music_seconds,  music.duration,   s.frame_ms,
                              scale,          s.preview.mode == preview_auto,
                              t.loop_start,   t.loop_end,       s.feed.tracks,
                              s.envelope,     s.map.track,      s.editor ? rocket_state(*s.editor) : "",
                              s.strip,        &s.beats,         s.chosen_track,
                              &s.source.tracks[s.chosen_track], &s.tables};
    view.log = log_lines(s.log);
    if (versions_kept())
        view.compare = compare_line(comparing ? s.ab : ab_view::now, s.before_ms, s.now_ms);
    static const std::vector<std::string> help = help_lines();
    view.help = s.help_shown ? &help : nullptr;
    view.difference = comparing && s.ab == ab_view::difference ? difference.data() : nullptr;
    draw_studio_screen(view, lay_out(W, window_pixel_height(), s.display_shown), lines);
    if (s.shot == studio_command::shot_whole)
        take_shot(s, t.row, true, now);
    present();
    // The strip maps the show's own cost: a shot's read-back is none of it, and
    // while comparing it is the new version's alone.
    if (s.shot == studio_command::none && scale == 1)
        note_cost(t.row, comparing ? s.now_ms : (seconds_now() - drawing) * 1000);
    s.shot = studio_command::none;
    s.drawn_ms = (seconds_now() - drawing) * 1000;
}

// After a present: the governor's and the display's frame times.
void time_frame(studio& s, int scale, double began, bool new_shaders, double saved_at)
{
    const double presented = seconds_now();
    const bool paused = s.transport.paused;
    count_present(s.transport.row, scale, paused && scale == 1, presented - s.changed_at);
    if (new_shaders)
        std::fprintf(stderr, "swipemix-studio: new effect on screen %.2f s after the save\n", presented - saved_at);
    if (!paused) {
        frame_timed(s.preview, scale, (presented - began) * 1000);
        // Frames per second only count frames played one after the other.
        if (s.last_present > 0) {
            const double ms = (presented - s.last_present) * 1000;
            s.frame_ms = s.frame_ms > 0 ? s.frame_ms * 0.9 + ms * 0.1 : ms;
        }
    }
    s.last_present = paused ? 0 : presented;
}

// Escape, or a signal to end: a render in progress is closed first.
int end_studio(studio& s, double now)
{
    stop_render();
    if (s.rendering)
        say_render_end(s, poll_render(), now);
    rocket_close(s.editor);
    return end_signal() ? 128 + end_signal() : 0;
}
}

int main(int argc, char** argv)
{
    static studio s; // the endless-effect watch keeps pointers into it
    if (const int exit_code = start_studio(s, argc, argv); exit_code >= 0)
        return exit_code;
    for (;;) {
        const double now = seconds_now();
        const double row_before = s.transport.row;
        const bool playing_before = !s.transport.paused;
        moves m;
        if (end_signal())
            return end_studio(s, now);
        for (input_event event; (event = next_input_event()).kind != input_kind::none;)
            if (!take_input(s, event, now, m))
                return end_studio(s, now);
        follow_timeline(s, now, m);
        advance_show(s, m);
        double saved_at;
        const bool new_shaders = swap_in_shaders(&saved_at); // at the frame boundary
        for (const std::string& line : take_shader_notices())
            say(s, line, now);
        say_shader_errors(s);
        const render_job& job = poll_render();
        age_messages(s, job, now);
        std::vector<std::string> lines = screen_lines(s, job);
        s.changed |= m.jumped || new_shaders;
        const bool relabelled = lines != s.lines_shown;
        if (s.changed || relabelled)
            s.changed_at = now;
        report_if_asked();
        int scale = frame_scale(s.preview, {playing_before, s.transport.paused, row_before, s.transport.row,
                                                  new_shaders, s.changed, relabelled, s.shot != studio_command::none});
        s.changed = false;
        if (scale && s.ab != ab_view::now && versions_kept())
            scale = 1; // A/B compares exact frames
        if (!scale) {
            rest(); // paused and nothing new: the still on screen is exact
            continue;
        }
        draw_frame(s, scale, lines, now);
        s.lines_shown = std::move(lines);
        time_frame(s, scale, now, new_shaders, saved_at);
    }
}

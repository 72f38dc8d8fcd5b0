// swipemix-capture: renders the show without a window, frame by frame, into
// a video or PNG files; also single entries, a contact sheet of all entries, per-entry
// timings and the caption atlas.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cerrno>
#include <cstring>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "driver/authoring.h"
#include "graphics/atlas.h"
#include "graphics/authoring.h"
#include "graphics/shader_sources.h"
#include "music/playback.h"
#include "music/tracks.h"
#include "timeline/sync.h"
#include "tools/capture/capture_bench.h"
#include "tools/capture/capture_hang.h"
#include "tools/capture/capture_image.h"
#include "tools/capture/capture_join.h"
#include "tools/capture/capture_options.h"
#include "tools/capture/capture_parts.h"
#include "tools/capture/capture_progress.h"
#include "tools/capture/capture_sound.h"
#include "tools/capture/capture_stop.h"
#include "tools/capture/capture_video.h"
#include "tools/capture/capture_yuv.h"
#include "tools/common/frame_rate.h"
#include "tools/common/output.h"
#include "tools/common/timeline_file.h"
#include "tools/stepped/stepped_show.h"

namespace {
using mode = capture_mode;

// The 768-pixel column, or as much of it as the back buffer holds.
void grab_column(rgb_image& out) { grab(out, column_left(W), column_width); }

std::string frame_path(const char* dir, long k)
{
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%05ld.png", k);
    return dir + std::string(name);
}

// Devices and pipes (/dev/null, /dev/stdout) are written to, never kept.
bool exists(const std::string& path)
{
    struct stat s;
    return stat(path.c_str(), &s) == 0 && S_ISREG(s.st_mode);
}

// A file or a folder's frames from an earlier run stay unless --force: an
// hour of rendering must not go because a command was repeated.
bool outputs_free(const capture_options& o, long first_frame, long frames)
{
    if (o.force)
        return true;
    std::vector<std::string> taken;
    for (const char* path : {o.output, o.target, o.frame_times})
        if (path && o.mode != mode::sequence && exists(path))
            taken.push_back(path);
    if (o.frame_times && o.mode == mode::sequence && exists(o.frame_times))
        taken.push_back(o.frame_times);
    for (long k = first_frame; o.mode == mode::sequence && k < first_frame + frames; ++k)
        if (exists(frame_path(o.output, k)))
            taken.push_back(frame_path(o.output, k));
    if (taken.empty())
        return true;
    if (taken.size() == 1)
        std::fprintf(stderr, "swipemix-capture: %s exists; give --force to overwrite it\n", taken[0].c_str());
    else
        std::fprintf(stderr, "swipemix-capture: %s and %zu more of this run's files exist; give --force to overwrite them\n",
                     taken[0].c_str(), taken.size() - 1);
    return false;
}

// Whether every effect the run draws compiled (their messages are on stderr
// already); with --keep-going, which entries another entry's effect draws.
bool effects_ready(const capture_options& o)
{
    std::vector<int> failed;
    for (int slot = 0; slot < shader_slots; ++slot) {
        const bool needed = o.mode != mode::entry || slot == composite_slot || slot == entry_slot(o.entry);
        if (needed && !shader_slot_filled(slot))
            failed.push_back(slot);
    }
    if (failed.empty())
        return true;
    std::string names;
    for (int slot : failed)
        names += std::string(names.empty() ? "" : ", ") + source_files[slot];
    if (!o.keep_going) {
        std::fprintf(stderr, "swipemix-capture: nothing rendered: %s did not compile (--keep-going renders anyway)\n",
                     names.c_str());
        return false;
    }
    std::fprintf(stderr, "swipemix-capture: %s did not compile; rendering anyway\n", names.c_str());
    const filled_slots filled = slots_filled();
    for (int slot : failed) {
        const int drawn_by = slot_drawing(entry_of_slot(slot), filled);
        if (slot == composite_slot)
            std::fprintf(stderr, "swipemix-capture: no composite: the frames stay black\n");
        else if (drawn_by >= 0)
            std::fprintf(stderr, "swipemix-capture: entry %d is drawn by entry %d's effect\n", entry_of_slot(slot),
                         entry_of_slot(drawn_by));
        else
            std::fprintf(stderr, "swipemix-capture: entry %d is drawn by no effect\n", entry_of_slot(slot));
    }
    return true;
}

// Frames done, frames per second and about how long is left, on one line of
// a terminal.
struct progress_line {
    render_progress counts;
    std::vector<int> tracks;
    std::chrono::steady_clock::time_point start, last;
};

progress_line start_progress(const frame_rate& rate, double from, double to, long first = 0)
{
    progress_line p;
    p.tracks = tracks_between(rate, from, to);
    p.tracks.erase(p.tracks.begin(), p.tracks.begin() + std::min<long>(first, long(p.tracks.size())));
    p.counts = plan_progress(p.tracks);
    p.start = p.last = std::chrono::steady_clock::now();
    return p;
}

void frame_done(progress_line& p, long index)
{
    const auto now = std::chrono::steady_clock::now();
    count_frame(p.counts, p.tracks[size_t(index)], std::chrono::duration<double, std::milli>(now - p.last).count());
    p.last = now;
    if (!isatty(2))
        return;
    const double fps = p.counts.done / std::chrono::duration<double>(now - p.start).count();
    const int left = int(seconds_left(p.counts)), filled = int(30 * p.counts.done / p.counts.total);
    std::fprintf(stderr, "\r[%-30s] %ld/%ld frames  %.2f fps  about %d:%02d:%02d left ",
                 std::string(size_t(filled), '#').c_str(), p.counts.done, p.counts.total, fps, left / 3600,
                 left / 60 % 60, left % 60);
    if (p.counts.done == p.counts.total)
        std::fprintf(stderr, "\n");
}

// One of a fixed count of steps done: a bar on a terminal, else a line.
void step_done(const char* what, int done, int total)
{
    if (isatty(2))
        std::fprintf(stderr, "\r%s [%-37s] %d/%d%s", what, std::string(size_t(37 * done / total), '#').c_str(), done, total,
                     done == total ? "\n" : "");
    else
        std::fprintf(stderr, "swipemix-capture: %s: %d of %d done\n", what, done, total);
}

bool write_failed(const char* path)
{
    std::fprintf(stderr, "swipemix-capture: cannot write %s: %s\n", path, std::strerror(errno));
    return false;
}

// The file that --frame-times names, headed by its columns; false when it
// cannot be made.
bool open_frame_times(const capture_options& o, FILE*& file)
{
    if (!o.frame_times)
        return true;
    file = std::fopen(o.frame_times, "w");
    if (!file || std::fprintf(file, "%s\n", frame_times_header) < 0)
        return write_failed(o.frame_times);
    return true;
}

bool close_output(FILE* file, const char* path) { return !file || finish_output(file, "swipemix-capture", path); }

// The frame-times file closed. A line that could not be written stopped the
// run, and `failed_with`, errno as the run stopped, is the reason: the stream
// keeps only that something failed.
bool close_times(FILE* file, const char* path, int failed_with)
{
    if (!file || !std::ferror(file))
        return close_output(file, path);
    std::fclose(file);
    errno = failed_with;
    return write_failed(path);
}

int write_sequence(const capture_options& o, long first_frame)
{
    FILE* times = nullptr;
    if (!open_frame_times(o, times))
        return 1;
    const double from = frame_row(o.rate, 0, first_frame);
    progress_line progress = start_progress(o.rate, from, o.to);
    rgb_image frame;
    long files = 0;
    defer_stop();
    const bool done = step_show(o.rate, from, o.to, [&](long index, double) {
        grab(frame, 0, W);
        if (!write_png(frame_path(o.output, first_frame + index).c_str(), frame))
            return false;
        ++files;
        frame_done(progress, index);
        return !stop_signal();
    }, {}, times);
    const bool times_written = close_times(times, o.frame_times, errno);
    if (!stop_signal())
        return times_written && done ? 0 : 1;
    std::fprintf(stderr, "%sswipemix-capture: %s; %s holds the %ld frames rendered\n", isatty(2) ? "\n" : "",
                 stop_word(), o.output, files);
    return stop_status();
}

// The soundtrack of the rows from ... to, as write_video records it.
int recorded_sound(const capture_options& o)
{
    play_track(track_table[current_track]);
    return record_soundtrack(o.rate, o.from, o.to);
}

// The range's soundtrack alone, for the join of its parts.
int write_sound(const capture_options& o)
{
    const int sound = recorded_sound(o);
    if (sound < 0)
        return 1;
    defer_stop();
    const bool opened = open_video(o.target, 0, 0, o.rate, sound, write_sound_tag(render_range(o.from, o.to, o.rate)));
    close(sound);
    return opened && close_video() ? 0 : 1;
}

// The show, or rows from ... to of it, encoded with the soundtrack it plays;
// or a part of that video, without sound.
int write_video(const capture_options& o)
{
    FILE* times = nullptr;
    if (!open_frame_times(o, times))
        return 1;
    // The column, or as much of it as the back buffer holds; else all of it.
    const int x0 = o.column ? std::max(column_left(W), 0) : 0;
    const int width = o.column ? std::min(column_width, W) : W;
    const long frames = long(frames_between(o.rate, o.from, o.to));
    part_span span{0, frames};
    std::string tag;
    if (o.parts) {
        span = part_frames(frames, keyframe_interval(o.rate), o.part, o.parts);
        tag = write_part_tag({o.part, o.parts, span, frames, render_range(o.from, o.to, o.rate), render_look(width, o.column)});
    }
    const double to = span.end == frames ? o.to : frame_row(o.rate, o.from, span.end);
    const int sound = o.parts ? -1 : recorded_sound(o);
    if (!o.parts && sound < 0)
        return 1;
    // From ffmpeg's start on, a stop must let it close the file, so a signal
    // that comes while it starts stops the run after its first frame.
    defer_stop();
    const bool opened = open_video(o.output, width, frame_height, o.rate, sound, tag);
    if (sound >= 0)
        close(sound);
    if (!opened)
        return 1;

    progress_line progress = start_progress(o.rate, o.from, to, span.first);
    // Frame k is converted and handed to ffmpeg on its own thread while
    // frame k + 1 is drawn; the read-back buffer it reads stays untouched
    // until the present after that, and by then it is waited for.
    std::vector<unsigned char> picture(yuv420_bytes(width, frame_height));
    std::future<bool> handing;
    bool written = true;
    long handed_frames = 0;
    const auto handed = [&] {
        if (!handing.valid())
            return true;
        const bool ok = handing.get();
        handed_frames += ok;
        return ok;
    };
    step_show(
        o.rate, o.from, to,
        [&](long index, double) {
            written = handed();
            handing = std::async(std::launch::async, [&, pixels = presented_pixels()] {
                to_yuv420(pixels, W, x0, width, frame_height, picture.data());
                return write_video_frame(picture.data());
            });
            frame_done(progress, index - span.first);
            return written && !stop_signal();
        },
        {}, times, true, span.first);
    const int stopped_by = errno;
    written = handed() && written;
    const bool times_written = close_times(times, o.frame_times, stopped_by);
    const bool finished = close_video();
    if (!stop_signal())
        return finished && written && times_written ? 0 : 1;
    if (finished)
        std::fprintf(stderr, "%sswipemix-capture: %s; %s holds the %ld frames rendered\n", isatty(2) ? "\n" : "",
                     stop_word(), o.output, handed_frames);
    return stop_status();
}

int write_sheet(const capture_options& o)
{
    constexpr int columns = 8, tile_w = column_width / 4, tile_h = frame_height / 4;
    rgb_image sheet;
    sheet.width = columns * tile_w;
    sheet.height = (entry_count + columns - 1) / columns * tile_h;
    sheet.rgb.assign(size_t(sheet.width) * sheet.height * 3, 0);
    double stays[entry_count];
    find_longest_stays(o.rate, stays);
    rgb_image frame;
    for (int e = 0; e < entry_count; ++e) {
        if (std::isnan(o.clock))
            draw_entry_as_shown(e, stays[e]);
        else
            draw_entry_plain(e, o.clock, stays[e]);
        grab_column(frame);
        const int x = e % columns * tile_w, y = e / columns * tile_h;
        paste_quarter(sheet, frame, x, y);
        draw_label(sheet, x, y, e);
        step_done("sheet", e + 1, entry_count);
    }
    return write_png(o.target, sheet) ? 0 : 1;
}

int write_still(const capture_options& o)
{
    rgb_image frame;
    const bool written = step_show(o.rate, o.at, frame_row(o.rate, o.at, 1), [&](long, double) { // its one frame
        if (o.column)
            grab_column(frame);
        else
            grab(frame, 0, W);
        return write_png(o.output, frame);
    });
    return written ? 0 : 1;
}

int write_entry(const capture_options& o)
{
    double stays[entry_count];
    find_longest_stays(o.rate, stays);
    draw_entry_plain(o.entry, std::isnan(o.clock) ? 0 : o.clock, stays[o.entry]);
    rgb_image frame;
    grab_column(frame);
    return write_png(o.output, frame) ? 0 : 1;
}

int write_atlas(const capture_options& o)
{
    std::unique_ptr<unsigned char[]> red(new unsigned char[size_t(atlas_width) * atlas_height]());
    draw_caption_atlas(red.get());
    return write_png(o.target, red.get(), atlas_width, atlas_height, 1) ? 0 : 1;
}
}

int main(int argc, char** argv)
{
    catch_stop_signals();
    capture_options o;
    const std::string problem = parse_capture_options(argc, argv, o);
    if (o.help && problem.empty()) {
        std::fputs(capture_help().c_str(), stdout);
        return !finish_output(stdout, "swipemix-capture", "the standard output");
    }
    if (!problem.empty()) {
        std::fprintf(stderr, "swipemix-capture: %s\n", problem.c_str());
        return 2;
    }
    // A frame sequence holds the show's frames from `from` on, numbered as in
    // the show, so ranges rendered apart fill one folder without clashing.
    const long first_frame = o.mode == mode::sequence ? first_frame_at(o.rate, o.from) : 0;
    const long frames = o.mode == mode::sequence ? long(frames_between(o.rate, frame_row(o.rate, 0, first_frame), o.to)) : 0;
    if (o.mode == mode::devices)
        return list_devices() ? 0 : 1;
    // Packed before the device starts or a file is made, so a timeline that cannot play costs nothing.
    static packed_timeline edited;
    if (o.timeline) {
        if (!read_timeline_option("swipemix-capture", o.timeline, edited))
            return 2;
        play_timeline(edited.view());
    }
    if (!outputs_free(o, first_frame, frames))
        return 1;
    // An existing folder is fine; one that cannot be made is named with its reason, not its first frame's.
    if (o.mode == mode::sequence && mkdir(o.output, 0777) != 0 && errno != EEXIST) {
        std::fprintf(stderr, "swipemix-capture: cannot make the folder %s: %s\n", o.output, std::strerror(errno));
        return 1;
    }
    if (o.mode == mode::atlas)
        return write_atlas(o);
    if (o.mode == mode::join)
        return join_parts(o.joined, o.sound, o.output);
    set_back_buffer_width(o.width);
    end_on_endless_effects(o.shader_dir, o.hang_after);
    if (o.preview != 1)
        build_preview_scales(o.preview);
    if (!start_renderer(o.shader_dir))
        return 1;
    set_preview_scale(o.preview);
    if (!effects_ready(o))
        return 1;
    // The effects hear the music, so every picture needs it as much as the sound does; a
    // picture of the default folder's absence is silent without a word.
    if (o.music_dir || o.mode == mode::video || o.mode == mode::sound || access("Music", F_OK) == 0)
        load_music("swipemix-capture", o.music_dir ? o.music_dir : "Music");
    switch (o.mode) {
    case mode::still: return write_still(o);
    case mode::video: return write_video(o);
    case mode::sound: return write_sound(o);
    case mode::sequence: return write_sequence(o, first_frame);
    case mode::entry: return write_entry(o);
    case mode::sheet: return write_sheet(o);
    default: return bench(o);
    }
}

// swipemix-capture: renders the show without a window, frame by frame, into
// PNG files; also single entries, a contact sheet of all entries, per-entry
// timings and the caption atlas.
#include <signal.h>
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

#include "graphics/atlas.h"
#include "graphics/device.h"
#include "music/playback.h"
#include "music/tracks.h"
#include "tools/capture_image.h"
#include "tools/capture_render.h"
#include "tools/capture_video.h"
#include "tools/capture_yuv.h"
#include "tools/frame_rate.h"
#include "tools/number.h"
#include "tools/timeline_file.h"

namespace {
struct options {
    const char* mode = nullptr; // the option naming what to make
    double at = 0, from = 0, to = -1, clock = NAN;
    frame_rate rate;
    int entry = -1, width = 1920;
    bool column = false; // the video holds only the 768-pixel column
    const char* output = nullptr;
    const char* target = nullptr; // --sheet and --atlas name their file
    const char* shader_dir = nullptr;
    const char* frame_times = nullptr; // per-frame render times of a video or sequence
    const char* timeline = nullptr;    // an edited timeline text in place of the built-in one
};

int usage()
{
    std::fprintf(stderr,
                 "usage: swipemix-capture (-o VIDEO.mp4|.mkv [--from ROW] [--to ROW] [--column] | --at ROW -o FILE.png | --from ROW --to ROW -o DIR/ | --entry E [--clock S] -o FILE.png |\n"
                 "                         --sheet FILE.png [--clock S] | --bench [--clock S] | --atlas FILE.png)\n"
                 "                         [--fps N|N/D] [--width W] [--shader-dir DIR] [--timeline FILE] [--frame-times FILE (video, sequence)]\n"
                 "--at ROW --column writes only the 768-pixel column. --timeline plays an edited timeline text, packed\n"
                 "as the build packs it (exit 2 when a key cannot be stored).\n");
    return 2;
}

bool is_video(const std::string& path)
{
    const auto ends = [&](const char* suffix) {
        const size_t n = std::strlen(suffix);
        return path.size() > n && path.compare(path.size() - n, n, suffix) == 0;
    };
    return ends(".mp4") || ends(".mkv");
}

bool parse(int argc, char** argv, options& o)
{
    double entry = -1, width = o.width;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        const bool takes_value = name != "--bench" && name != "--column";
        if (takes_value && i + 1 >= argc)
            return false;
        const char* value = takes_value ? argv[++i] : nullptr;
        const bool is_mode = name == "--at" || name == "--from" || name == "--entry" || name == "--sheet" ||
                             name == "--bench" || name == "--atlas";
        if (is_mode) {
            if (o.mode)
                return false;
            o.mode = argv[takes_value ? i - 1 : i];
        }
        bool ok = true;
        if (name == "--at")
            ok = parse_number(value, o.at) && o.at >= 0;
        else if (name == "--from")
            ok = parse_number(value, o.from) && o.from >= 0;
        else if (name == "--to")
            ok = parse_number(value, o.to) && o.to >= 0;
        else if (name == "--entry")
            ok = parse_number(value, entry) && entry == std::floor(entry) && entry >= 0 && entry < entry_count;
        else if (name == "--clock")
            ok = parse_number(value, o.clock);
        else if (name == "--fps")
            ok = parse_frame_rate(value, o.rate);
        else if (name == "--width")
            ok = parse_number(value, width) && width == std::floor(width) && width >= 1 && width <= 16384;
        else if (name == "-o")
            o.output = value;
        else if (name == "--sheet" || name == "--atlas")
            o.target = value;
        else if (name == "--shader-dir")
            o.shader_dir = value;
        else if (name == "--timeline")
            o.timeline = value;
        else if (name == "--frame-times")
            o.frame_times = value;
        else if (name == "--column")
            o.column = true;
        else if (name != "--bench")
            return false;
        if (!ok)
            return false;
    }
    o.entry = int(entry);
    o.width = int(width);
    if (o.output && is_video(o.output) && (!o.mode || std::string(o.mode) == "--from")) {
        o.mode = "video";
        return std::isnan(o.clock) && (o.to < 0 || o.to >= o.from);
    }
    if (!o.mode)
        return false;
    const std::string mode = o.mode;
    if ((o.column && mode != "--at") || (o.frame_times && mode != "--from"))
        return false;
    const bool wants_output = mode == "--at" || mode == "--from" || mode == "--entry";
    if (wants_output != (o.output != nullptr))
        return false;
    if ((mode == "--from") != (o.to >= 0) || (mode == "--from" && o.to < o.from))
        return false;
    return std::isnan(o.clock) || mode == "--entry" || mode == "--sheet" || mode == "--bench";
}

// The 768-pixel column, or as much of it as the back buffer holds.
void grab_column(rgb_image& out) { grab(out, (W - column_width) / 2, column_width); }

volatile sig_atomic_t interrupted;

// Frames done, frames per second and time left, on one line of a terminal.
void show_progress(long done, long total, std::chrono::steady_clock::time_point start)
{
    if (!isatty(2))
        return;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double rate = done / seconds, left = (total - done) / rate;
    const int filled = int(30 * done / total);
    std::fprintf(stderr, "\r[%-30s] %ld/%ld frames  %.2f fps  %d:%02d:%02d left ", std::string(filled, '#').c_str(), done,
                 total, rate, int(left) / 3600, int(left) / 60 % 60, int(left) % 60);
    if (done == total)
        std::fprintf(stderr, "\n");
}

// The file that --frame-times names, or null; false when it cannot be made.
bool open_frame_times(const options& o, std::unique_ptr<FILE, int (*)(FILE*)>& file)
{
    if (!o.frame_times)
        return true;
    file.reset(std::fopen(o.frame_times, "w"));
    if (!file)
        std::fprintf(stderr, "swipemix-capture: cannot write %s: %s\n", o.frame_times, std::strerror(errno));
    return file != nullptr;
}

int write_sequence(const options& o)
{
    std::unique_ptr<FILE, int (*)(FILE*)> times(nullptr, std::fclose);
    if (!open_frame_times(o, times))
        return 1;
    const std::string dir = o.output;
    mkdir(dir.c_str(), 0777); // an existing folder is fine; a bad one fails at the first file
    const long total = long(frames_between(o.rate, o.from, o.to));
    const auto start = std::chrono::steady_clock::now();
    rgb_image frame;
    const bool done = step_show(o.rate, o.from, o.to, [&](long index, double) {
        grab(frame, 0, W);
        char name[32];
        std::snprintf(name, sizeof name, "/frame_%05ld.png", index);
        if (!write_png((dir + name).c_str(), frame))
            return false;
        show_progress(index + 1, total, start);
        return true;
    }, {}, times.get());
    return done ? 0 : 1;
}

// The show, or rows from ... to of it, encoded with the soundtrack it plays.
int write_video(const options& o)
{
    const double to = o.to >= 0 ? o.to : 1712;
    std::unique_ptr<FILE, int (*)(FILE*)> times(nullptr, std::fclose);
    if (!open_frame_times(o, times))
        return 1;
    load_tracks();
    play_track(track_table[current_track]);
    // The column, or as much of it as the back buffer holds; else all of it.
    const int x0 = o.column ? std::max((W - column_width) / 2, 0) : 0;
    const int width = o.column ? std::min(column_width, W) : W;
    if (!open_video(o.output, width, frame_height, o.rate))
        return 1;
    signal(SIGINT, [](int) { interrupted = 1; });

    // Sound runs from row 0, when the show's clock starts; each frame carries
    // the samples up to the next frame's time.
    std::vector<unsigned char> sound;
    long long samples_done = 0;
    const auto sound_until = [&](double rows) {
        const long long target = std::llround(rows * 0.125 * 44100);
        sound.resize(size_t(std::max(0LL, target - samples_done)) * 4);
        pull_samples(sound.data(), uint32_t(sound.size()));
        samples_done = std::max(samples_done, target);
    };
    const double frame_rows = frame_row(o.rate, 0, 1);
    const long total = long(frames_between(o.rate, o.from, to));
    const auto start = std::chrono::steady_clock::now();
    // Frame k is converted and handed to ffmpeg on its own thread while
    // frame k + 1 is drawn; the read-back buffer it reads stays untouched
    // until the present after that, and by then it is waited for.
    std::vector<unsigned char> picture(yuv420_bytes(width, frame_height));
    std::future<bool> handing;
    bool written = true;
    const auto handed = [&] { return !handing.valid() || handing.get(); };
    step_show(
        o.rate, o.from, to,
        [&](long index, double rows) {
            written = handed();
            sound_until(rows + frame_rows);
            handing = std::async(std::launch::async, [&, pixels = presented_pixels(), frame_sound = sound] {
                to_yuv420(pixels, W, x0, width, frame_height, picture.data());
                return write_video_frame(picture.data(), frame_sound.data(), unsigned(frame_sound.size()));
            });
            show_progress(index + 1, total, start);
            return written && !interrupted;
        },
        // The video's sound starts at `from`, even between two frame times.
        [&](double rows) { sound_until(std::min(rows + frame_rows, o.from)); }, times.get());
    written = handed() && written;
    if (interrupted)
        std::fprintf(stderr, "\nswipemix-capture: interrupted; %s holds what was rendered\n", o.output);
    return close_video() && written && !interrupted ? 0 : interrupted ? 130 : 1;
}

int write_sheet(const options& o)
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
    }
    return write_png(o.target, sheet) ? 0 : 1;
}

int bench(const options& o)
{
    constexpr int timed_frames = 5;
    const double clock = std::isnan(o.clock) ? 0 : o.clock;
    double stays[entry_count];
    find_longest_stays(o.rate, stays);
    std::printf("entry  median ms/frame  (W = %d, clock %g s, %d frames after one warm-up)\n", W, clock, timed_frames);
    double total = 0;
    for (int e = 0; e < entry_count; ++e) {
        double times[timed_frames];
        draw_entry_plain(e, clock, stays[e]); // the driver compiles a pipeline on its first use
        for (double& t : times) {
            const auto start = std::chrono::steady_clock::now();
            draw_entry_plain(e, clock + (&t - times + 1) * double(o.rate.den) / double(o.rate.num), stays[e]);
            t = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        }
        std::sort(times, times + timed_frames);
        std::printf("%5d  %15.1f\n", e, times[timed_frames / 2]);
        total += times[timed_frames / 2];
    }
    std::printf("mean   %15.1f\n", total / entry_count);
    return 0;
}
}

int main(int argc, char** argv)
{
    options o;
    if (!parse(argc, argv, o))
        return usage();
    const std::string mode = o.mode;
    if (mode == "--atlas") {
        std::unique_ptr<unsigned char[]> red(new unsigned char[size_t(atlas_width) * atlas_height]());
        draw_caption_atlas(red.get());
        return write_png(o.target, red.get(), atlas_width, atlas_height, 1) ? 0 : 1;
    }
    // Packed before the device starts, so a timeline that cannot play costs nothing.
    static packed_timeline edited;
    if (o.timeline) {
        timeline_source source;
        std::string error;
        std::vector<std::string> warnings;
        const bool good = load_timeline_file(o.timeline, source, edited, error, warnings);
        for (const std::string& w : warnings)
            std::fprintf(stderr, "swipemix-capture: %s: warning: %s\n", o.timeline, w.c_str());
        if (!good) {
            std::fprintf(stderr, "swipemix-capture: %s: %s\n", o.timeline, error.c_str());
            return 2;
        }
        static const sync_tables view = edited.view();
        use_timeline(view);
    }
    W = o.width;
    if (!start_renderer(o.shader_dir))
        return 1;
    if (mode == "--at") {
        rgb_image frame;
        const bool written = step_show(o.rate, o.at, o.at, [&](long, double) {
            if (o.column)
                grab_column(frame);
            else
                grab(frame, 0, W);
            return write_png(o.output, frame);
        });
        return written ? 0 : 1;
    }
    if (mode == "video")
        return write_video(o);
    if (mode == "--from")
        return write_sequence(o);
    if (mode == "--entry") {
        if (!shader_slot_filled(o.entry + 1))
            std::fprintf(stderr, "swipemix-capture: entry %d has no shader; the show draws a lower entry instead\n", o.entry);
        double stays[entry_count];
        find_longest_stays(o.rate, stays);
        draw_entry_plain(o.entry, std::isnan(o.clock) ? 0 : o.clock, stays[o.entry]);
        rgb_image frame;
        grab_column(frame);
        return write_png(o.output, frame) ? 0 : 1;
    }
    if (mode == "--sheet")
        return write_sheet(o);
    return bench(o);
}

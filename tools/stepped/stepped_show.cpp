#include "tools/stepped/stepped_show.h"

#include <chrono>

#include "driver/authoring.h"
#include "driver/feed.h"
#include "driver/frame.h"
#include "driver/startup.h"
#include "graphics/authoring.h"
#include "music/authoring.h"
#include "music/beat_cache.h"
#include "music/tracks.h"
#include "timeline/sync.h"
#include "tools/common/shader_dir.h"

namespace {
feed_state start_of_show; // as start-up leaves it
}

void load_music(const char* tool, const char* dir)
{
    if (!load_tracks_from(dir))
        std::fprintf(stderr, "%s: no music track can be read in %s, so there is no sound; give --music DIR, or make "
                             "the default music with tools/music/make-music\n", tool, dir);
    load_beat_grids_from(dir, track_table);
}

bool start_renderer(const char* shader_dir)
{
    use_recorder(); // the soundtrack is recorded, never played
    return start_windowed_renderer(nullptr, shader_dir);
}

bool start_windowed_renderer(const window_link* window, const char* shader_dir)
{
    if (!start_device(window))
        return false;
    report_driver();
    std::string problems;
    const char* const* texts = shader_dir ? load_shader_dir(shader_dir, problems) : nullptr;
    std::fputs(problems.c_str(), stderr);
    start_shaders(texts);
    start_of_show = start_feed();
    return true;
}

bool follow_track(track_since& playing, int now, double rows)
{
    if (now == playing.track)
        return false;
    playing = {now, rows};
    return true;
}

feed_state first_feed() { return start_of_show; }

feed_state step_feed_to(const frame_rate& rate, double rows, const std::function<void(double, int)>& each)
{
    feed_state feed = first_feed();
    for (long k = 0; frame_row(rate, 0, k) < rows; ++k) {
        const int track = update_feed(feed, frame_row(rate, 0, k));
        if (each)
            each(frame_row(rate, 0, k), track);
    }
    return feed;
}

bool step_show(const frame_rate& rate, double from, double to, const std::function<bool(long, double)>& frame,
               const std::function<void(double)>& passed, FILE* times, bool draw, long first)
{
    feed_state feed = step_feed_to(rate, from, [&](double rows, int track) {
        select_track(track);
        if (passed)
            passed(rows);
    });
    const long long frames = frames_between(rate, from, to);
    for (long index = 0; index < frames; ++index) {
        const double rows = frame_row(rate, from, index);
        const auto begun = std::chrono::steady_clock::now();
        const int track = update_feed(feed, rows);
        select_track(track);
        if (index < first) {
            if (passed)
                passed(rows);
            continue;
        }
        if (draw) {
            draw_passes(feed);
            present();
        }
        // Line by line, so a watcher can follow the progress; errno says why a line failed.
        if (times && (std::fprintf(times, "%.6f\t%d\t%.3f\n", rows, track,
                                   std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begun)
                                       .count()) < 0 ||
                      std::fflush(times) != 0))
            return false;
        if (!frame(index, rows))
            return false;
    }
    return true;
}

std::vector<int> tracks_between(const frame_rate& rate, double from, double to)
{
    feed_state feed = step_feed_to(rate, from);
    std::vector<int> tracks;
    for (long index = 0; index < frames_between(rate, from, to); ++index)
        tracks.push_back(update_feed(feed, frame_row(rate, from, index)));
    return tracks;
}

void find_longest_stays(const frame_rate& rate, double middle_rows[entry_count], double lengths[entry_count])
{
    double best[entry_count] = {};
    track_since stay = {-1, 0};
    feed_state feed = first_feed();
    for (long k = 0;; ++k) {
        const double rows = frame_row(rate, 0, k);
        const int now = rows <= show_end_row ? update_feed(feed, rows) : -1;
        const track_since ended = stay;
        if (follow_track(stay, now, rows) && ended.track >= 0 && ended.track < entry_count &&
            rows - ended.since > best[ended.track]) {
            best[ended.track] = rows - ended.since;
            middle_rows[ended.track] = ended.since + (rows - ended.since) / 2;
            if (lengths)
                lengths[ended.track] = rows - ended.since;
        }
        if (now < 0)
            return;
    }
}

void draw_entry_as_shown(int e, double rows)
{
    draw_passes(pose_entry(first_feed(), e, rows, rows * row_seconds));
    present();
}

void draw_entry_plain(int e, double seconds, double rows)
{
    feed_state feed = pose_entry(first_feed(), e, rows, seconds);
    pose_plain(feed);
    draw_passes(feed);
    present();
}

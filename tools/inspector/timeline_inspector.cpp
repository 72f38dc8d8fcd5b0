// swipemix-timeline: prints, frame by frame, what the feed logic makes of the
// show timeline, for people who edit the timeline; or the built-in timeline as
// source text (--keys) or as a sync editor's project (--rocket FILE); the
// built-in timeline, or an edited text (--timeline FILE); or every beat heard
// in the show (--beats).
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "driver/authoring.h"
#include "driver/feed.h"
#include "graphics/noise.h"
#include "music/beat_cache.h"
#include "music/heard.h"
#include "shared/state.h"
#include "timeline/source.h"
#include "timeline/sync.h"
#include "tools/common/folder.h"
#include "tools/common/frame_rate.h"
#include "tools/common/number.h"
#include "tools/common/output.h"
#include "tools/common/timeline_file.h"
#include "tools/rocket/rocket_project.h"

namespace {
const char* const help =
    "usage: swipemix-timeline [--timeline FILE] [--fps N|N.N|N/D] [--from ROW] [--to ROW]\n"
    "       swipemix-timeline [--timeline FILE] --keys\n"
    "       swipemix-timeline [--timeline FILE] --rocket FILE.rocket\n"
    "       swipemix-timeline [--timeline FILE] [--fps N] [--from ROW] [--to ROW] --beats [--music DIR]\n"
    "The first form prints one CSV line per frame at --fps (default 60) from row --from on and before --to\n"
    "(default: the whole show): show time, feed position, music track, the two entry passes' shader slots and every sync\n"
    "track by name. --keys prints the timeline as text; --rocket writes it as a sync editor's project.\n"
    "--beats prints one CSV line per beat heard in the show, in the order heard: the row where it falls, the track\n"
    "(entry 0 to 36) and the beat's number in its bar (1 the downbeat), the show stepped at --fps as the capture\n"
    "steps it. The beats are those kept beside the music of DIR (default Music), found and kept there first where\n"
    "a file has none or has changed.\n"
    "The timeline is the built-in one, or with --timeline FILE an edited text, packed as the build packs it\n"
    "(exit 2 when it cannot be read or a key cannot be stored).\n";

struct options {
    frame_rate rate;
    double from = 0, to = show_end_row;
    bool keys = false, help = false, beats = false;
    const char* music = nullptr; // for --beats; Music/ when not given
    const char* rocket = nullptr;
    const char* timeline = nullptr;
};

// Empty, or one line naming the option, its value and what it takes.
std::string read_options(int argc, char** argv, options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "--keys" || name == "--beats") {
            (name == "--help" ? o.help : name == "--keys" ? o.keys : o.beats) = true;
            continue;
        }
        if (name != "--fps" && name != "--from" && name != "--to" && name != "--rocket" && name != "--timeline" &&
            name != "--music")
            return "unknown option " + name + " (see --help)";
        if (i + 1 >= argc)
            return name + " needs a value (see --help)";
        const char* value = argv[++i];
        const std::string said = name + " " + (*value ? value : "''") + ": ";
        if (name == "--fps" && !parse_frame_rate(value, o.rate))
            return said + frame_rate_rule();
        if ((name == "--from" && !parse_row(value, o.from)) || (name == "--to" && !parse_row(value, o.to)))
            return said + row_rule();
        if (name == "--music") {
            o.music = value;
            if (const std::string why = unreadable_folder(value); !why.empty())
                return said + why;
        }
        if (name == "--rocket" || name == "--timeline") {
            if (!*value)
                return said + "a file name is needed";
            (name == "--rocket" ? o.rocket : o.timeline) = value;
        }
    }
    if (o.keys + o.beats + !!o.rocket > 1)
        return "--keys, --rocket and --beats: one at a time";
    if (o.music && !o.beats)
        return "--music: only --beats reads the music";
    if ((o.keys || o.rocket) && argc > (o.keys ? 2 : 3) + (o.timeline ? 2 : 0))
        return std::string(o.keys ? "--keys" : "--rocket") + " takes no other options but --timeline";
    if (o.to <= o.from)
        return "--to " + number_text(o.to) + ": the range ends before it, so it must come after --from " +
               number_text(o.from);
    return "";
}

int write_rocket_project(const char* path, const sync_tables& tables)
{
    FILE* file = std::fopen(path, "w");
    if (!file) {
        std::fprintf(stderr, "swipemix-timeline: cannot write %s: %s\n", path, std::strerror(errno));
        return 1;
    }
    std::fputs(rocket_project_xml(unpack_timeline(tables), show_end_row + 1).c_str(), file);
    return !finish_output(file, "swipemix-timeline", path);
}

// The feed as the show starts.
feed_state start_stepping()
{
    fillrand();
    return start_feed();
}

// Each beat of the track heard from frame row `rows` until `next`, within the range.
void print_beats_between(const options& o, heard_track heard, double rows, double next)
{
    if (heard.track < 0 || heard.track >= entry_count)
        return; // no entry's music: silence
    const beat_grid& grid = beat_table[heard.track];
    for (int b = 0; b < grid.beat_count; ++b) {
        const double row = heard.since + grid.beat_seconds[b] * rows_per_second;
        if (row >= rows && row < next && row >= o.from && row < o.to)
            std::printf("%.9g,%d,%d\n", row, heard.track, b % grid.beats_per_bar + 1);
    }
}

int print_beats(const options& o)
{
    load_beat_grids_from(o.music ? o.music : "Music", nullptr);
    feed_state feed = start_stepping();
    std::printf("row,track,beat_in_bar\n");
    for (long frame = 0; !std::ferror(stdout); ++frame) {
        const double rows = frame_row(o.rate, 0, frame);
        if (rows >= o.to)
            break;
        update_feed(feed, rows);
        print_beats_between(o, feed.heard, rows, frame_row(o.rate, 0, frame + 1));
    }
    return !finish_output(stdout, "swipemix-timeline", "the standard output");
}

int print_frames(const options& o)
{
    // Every shader present, as in a show whose texts all compiled.
    filled_slots every;
    std::fill(std::begin(every.slot), std::end(every.slot), true);
    feed_state feed = start_stepping();

    std::printf("frame,rows,seconds,feed_position,track,current_slot,next_slot");
    for (const char* name : show_track_names)
        std::printf(",%s", name);
    std::printf("\n");
    for (long frame = 0; !std::ferror(stdout); ++frame) {
        const double rows = frame_row(o.rate, 0, frame);
        if (rows >= o.to)
            break; // a range holds its start and not its end, as in the capture
        const int track = update_feed(feed, rows);
        if (rows < o.from)
            continue;
        pass_descriptor passes[pass_count];
        plan_passes(feed, every, W, passes);
        std::printf("%ld,%.9g,%.9g,%.9g,%d,%d,%d", frame, rows, feed.time, feed.position, track, passes[0].shader_slot, passes[1].shader_slot);
        for (int t = 0; t < sync_track_count; ++t)
            std::printf(",%.9g", feed.tracks[t]);
        std::printf("\n");
    }
    return !finish_output(stdout, "swipemix-timeline", "the standard output");
}
}

int main(int argc, char** argv)
{
    options o;
    const std::string problem = read_options(argc, argv, o);
    if (!problem.empty()) {
        std::fprintf(stderr, "swipemix-timeline: %s\n", problem.c_str());
        return 2;
    }
    if (o.help) {
        std::fputs(help, stdout);
        return !finish_output(stdout, "swipemix-timeline", "the standard output");
    }
    static packed_timeline edited;
    if (o.timeline) {
        if (!read_timeline_option("swipemix-timeline", o.timeline, edited))
            return 2;
        play_timeline(edited.view());
    }
    const sync_tables tables = o.timeline ? edited.view() : show_sync;
    if (o.keys) {
        std::fputs(format_timeline(unpack_timeline(tables)).c_str(), stdout);
        return !finish_output(stdout, "swipemix-timeline", "the standard output");
    }
    if (o.rocket)
        return write_rocket_project(o.rocket, tables);
    if (o.beats)
        return print_beats(o);
    return print_frames(o);
}

// swipemix-timeline: prints, frame by frame, what the feed logic makes of the
// show timeline, for people who edit the timeline; or the built-in timeline as
// source text (--keys) or as a sync editor's project (--rocket FILE).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "driver/feed.h"
#include "graphics/noise.h"
#include "shared/state.h"
#include "timeline/rocket_project.h"
#include "timeline/source.h"

namespace {
int usage()
{
    std::fprintf(stderr, "usage: swipemix-timeline [--fps N] [--from ROW] [--to ROW]\n"
                         "       swipemix-timeline --keys\n"
                         "       swipemix-timeline --rocket FILE.rocket\n");
    return 2;
}

bool parse_number(const char* text, double& out)
{
    char* end = nullptr;
    out = std::strtod(text, &end);
    return end != text && *end == '\0';
}

timeline_source built_in()
{
    return unpack_timeline(show_sync, {show_track_names, show_track_names + sync_track_count});
}

int write_rocket_project(const char* path)
{
    std::ofstream file(path);
    file << rocket_project_xml(built_in(), show_end_row + 1);
    if (file.flush())
        return 0;
    std::fprintf(stderr, "swipemix-timeline: cannot write %s\n", path);
    return 1;
}
}

int main(int argc, char** argv)
{
    if (argc == 2 && !std::strcmp(argv[1], "--keys"))
        return std::fputs(format_timeline(built_in()).c_str(), stdout) < 0;
    if (argc == 3 && !std::strcmp(argv[1], "--rocket"))
        return write_rocket_project(argv[2]);

    double fps = 60, from = 0, to = show_end_row;
    for (int i = 1; i < argc; ++i) {
        double* target = !std::strcmp(argv[i], "--fps")    ? &fps
                         : !std::strcmp(argv[i], "--from") ? &from
                         : !std::strcmp(argv[i], "--to")   ? &to
                                                           : nullptr;
        if (!target || i + 1 >= argc || !parse_number(argv[++i], *target))
            return usage();
    }
    if (!(fps > 0 && fps <= 100000) || !(to >= from))
        return usage();

    // Every shader present, as in a show whose texts all compiled.
    static char present;
    for (gpu_shader*& slot : shader_table)
        slot = reinterpret_cast<gpu_shader*>(&present);
    fillrand();
    frame_constants[slot_feed_position] = 0;

    std::printf("frame,rows,seconds,feed_position,track,current_slot,next_slot");
    for (int t = 0; t < sync_track_count; ++t)
        std::printf(",t%d", t);
    std::printf("\n");
    for (long frame = 0;; ++frame) {
        const double rows = double(frame) * 8 / fps;
        if (rows > to)
            break;
        const int track = update_feed(rows);
        if (rows < from)
            continue;
        pass_descriptor passes[pass_count];
        plan_passes(passes);
        std::printf("%ld,%.9g,%.9g,%.9g,%d,%d,%d", frame, rows, frame_constants[slot_time],
                    frame_constants[slot_feed_position], track, passes[0].slot, passes[1].slot);
        for (int t = 0; t < sync_track_count; ++t)
            std::printf(",%.9g", frame_constants[slot_tracks + t]);
        std::printf("\n");
    }
    return 0;
}

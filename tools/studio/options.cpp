#include "tools/studio/options.h"

#include <cstring>

#include "timeline/sync.h"
#include "tools/common/folder.h"
#include "tools/common/number.h"
#include "tools/common/text_file.h"

const std::string studio_help =
    "usage: swipemix-studio [--shader-dir DIR] [--timeline FILE] [--music DIR] [--rocket [HOST:]PORT]\n"
    "                       [--row R] [--paused] [--loop A:B] [--shots DIR] [--costs FILE]\n"
    "                       [--preview 1|2|4|auto] [--budget MS] [--list-devices] [--help]\n"
    "The show in a window. Effect files in DIR (default: the source tree's graphics/shaders) and the\n"
    "timeline FILE (default: the source tree's timeline/show.timeline) reload when saved; errors show on screen.\n"
    "A folder or a timeline file that cannot be read stops the studio at start, with the reason.\n"
    "With --rocket the timeline comes from a sync editor listening there (default 127.0.0.1:1338) instead,\n"
    "and the editor's save command writes it to FILE. The music comes from DIR (default: Music in the current folder).\n"
    "--row R starts at row R (0 to " + std::to_string(show_end_row) + ", " + std::to_string(rows_per_second) +
    " rows a second), --paused starts paused, --loop A:B loops rows A to B.\n"
    "Shots and renders go to the current folder, or to --shots DIR. --costs loads the frame times that\n"
    "swipemix-capture --frame-times wrote, to colour the whole strip at once.\n"
    "The strip at the bottom, zoomed from the whole show to three seconds: a tick each second, a long one where the\n"
    "entry changes, the beats and bars of the music heard, the keys and curve of the track marked > in the display,\n"
    "the music's loudness in dB, each row's frame time (green within the budget, amber over, red over twice that),\n"
    "and where the frame and the view are in the whole show. The column is fitted above it, the display beside.\n"
    "--preview N draws the effects at 1/N of the column's size while playing (default auto: the finest scale\n"
    "whose frames take at most --budget MS, default 83); a paused frame is always drawn at full scale.\n"
    "--list-devices lists the Vulkan devices, marking the one drawn on; SWIPEMIX_DEVICE=N (or a part of a\n"
    "device's name) picks another.\n"
    "Keys (F1 or ? shows them in the studio):\n";

namespace {
bool read_row(const char* text, double& row) { return parse_number(text, row) && row >= 0 && row <= show_end_row; }

// A:B with both rows in the show and A before B.
bool read_loop(const char* text, double& start, double& end)
{
    const char* colon = std::strchr(text, ':');
    if (!colon)
        return false;
    const std::string first(text, colon);
    return read_row(first.c_str(), start) && read_row(colon + 1, end) && start < end;
}
}

int read_studio_options(int argc, char** argv, studio_options& o, std::string& error)
{
    o = studio_options{};
    o.shader_dir = SWIPEMIX_SHADER_DIR;
    o.timeline_path = SWIPEMIX_TIMELINE_PATH;
    const std::string rows = " from 0 to " + std::to_string(show_end_row);
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool has_value = i + 1 < argc && argv[i + 1][0] != '-';
        // Options whose value is a number take the next argument even when it starts with '-'.
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto bad = [&](const std::string& wanted) {
            error = "swipemix-studio: " + a + (value ? std::string(" ") + value : std::string()) + ": " + wanted;
            return 2;
        };
        if (a == "--help")
            return 1;
        const bool takes_folder = a == "--shader-dir" || a == "--music";
        if ((takes_folder || a == "--timeline" || a == "--shots" || a == "--costs") && !has_value)
            return bad("needs a value (see --help)");
        if (takes_folder && !unreadable_folder(value).empty())
            return bad(unreadable_folder(value));
        if (a == "--shader-dir")
            o.shader_dir = argv[++i];
        else if (a == "--timeline")
            o.timeline_path = argv[++i];
        else if (a == "--music")
            o.music_dir = argv[++i];
        else if (a == "--shots")
            o.shots = argv[++i];
        else if (a == "--costs")
            o.costs = argv[++i];
        else if (a == "--rocket") {
            o.rocket = true;
            value = has_value ? argv[++i] : nullptr;
            if (!rocket_parse_address(value ? value : "", o.editor))
                return bad("wants [HOST:]PORT, the port from 1 to 65535");
        } else if (a == "--row") {
            if (!value || !read_row(value, o.start_row))
                return bad("wants a row" + rows);
            ++i;
        } else if (a == "--loop") {
            if (!value || !read_loop(value, o.loop_start, o.loop_end))
                return bad("wants A:B, rows" + rows + " with A before B");
            ++i;
        } else if (a == "--preview") {
            const std::string v = value ? value : "";
            if (v != "1" && v != "2" && v != "4" && v != "auto")
                return bad("wants 1, 2, 4 or auto");
            o.preview = v == "auto" ? 0 : std::stoi(v);
            ++i;
        } else if (a == "--budget") {
            if (!value || !parse_number(value, o.budget_ms) || o.budget_ms < 1 || o.budget_ms > 10000)
                return bad("wants milliseconds from 1 to 10000");
            ++i;
        } else if (a == "--paused")
            o.paused = true;
        else if (a == "--list-devices")
            o.list_devices = true;
        else {
            error = "swipemix-studio: unknown option " + a + " (see --help)";
            return 2;
        }
    }
    // The timeline is the author's file as the effects' folder is: a typo stops the studio here rather than
    // leave the built-in timeline playing. The editor's saves make the file, so with it one may be missing.
    std::string why;
    const text_read timeline = check_text_file(o.timeline_path, why);
    if (timeline == text_read::refused || (timeline == text_read::missing && !o.rocket)) {
        error = "swipemix-studio: --timeline " + o.timeline_path + ": " + why;
        return 2;
    }
    return 0;
}

#include "tools/capture/capture_options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shared/state.h"
#include "timeline/sync.h"
#include "tools/capture/capture_parts.h"
#include "tools/common/folder.h"
#include "tools/common/number.h"

std::string capture_help()
{
    return
    "usage: swipemix-capture WHAT [OPTIONS]\n"
    "Renders the show without a window. WHAT is one of:\n"
    "  -o VIDEO.mp4|.mkv [--from ROW] [--to ROW] [--column]   the show, or rows of it, with its sound\n"
    "  --at ROW [--column] -o FILE.png                         the show at one row\n"
    "  --from ROW --to ROW -o DIR                              the frames between as DIR/frame_NNNNN.png,\n"
    "                                                          numbered by their frame in the show at --fps\n"
    "  --entry E [--clock S] -o FILE.png                       entry E (0 ... 36) alone in its column\n"
    "  --sheet FILE.png [--clock S]                            all 37 entries at quarter size\n"
    "  --bench [--entry E] [--clock S] [--preview 1|2|4|8]    the median time per frame of each entry, or of\n"
    "          [--compare DIR]                                 entry E alone, with --preview at the studio's\n"
    "                                                          preview scale 1/N; with --compare, DIR's effects\n"
    "                                                          beside the run's own, the two timed in turn, and\n"
    "                                                          each entry's new/old ratio\n"
    "  --atlas FILE.png                                        the caption atlas\n"
    "  (--at and --from --to -o DIR take --preview 2|4|8 too: the effects at 1/N, as swipemix --adaptive draws them)\n"
    "  -o VIDEO.mp4 --part K/N [--from ROW] [--to ROW]         the K-th of N parts of that video, without sound,\n"
    "                                                          cut on keyframes, for machines to render apart\n"
    "  --sound-only FILE.wav [--from ROW] [--to ROW]           that video's soundtrack alone\n"
    "  --join PART... --sound FILE.wav -o VIDEO.mp4            the parts, in order, and the soundtrack as one video,\n"
    "                                                          the pictures copied as they are\n"
    "  --list-devices                                          the Vulkan devices, the one drawn on marked;\n"
    "                                                          SWIPEMIX_DEVICE=N or a part of a name picks another\n"
    "Rows run from 0 to " + std::to_string(show_end_row) + ", the show's end (" + std::to_string(rows_per_second) + " rows a second).\n"
    "A range holds the frames from --from on and before --to: --from 0 --to 32 is 4 s, 240 frames at 60 fps.\n"
    "OPTIONS:\n"
    "  --fps N|N.N|N/D     frames a second, " + std::to_string(min_fps) + " to " + std::to_string(max_fps) +
    " (default 60; 60000/1001 is exact)\n"
    "  --width W           back-buffer width, 1 to 16384 (default 1920); the height is 1080\n"
    "  --shader-dir DIR    read prefix.hlsl and eNN.hlsl from DIR where it has them\n"
    "  --timeline FILE     play an edited timeline text, packed as the build packs it (exit 2 when it\n"
    "                      cannot be read or a key cannot be stored)\n"
    "  --music DIR         the music folder, which the sound and the effects hear (default Music in the\n"
    "                      current folder)\n"
    "  --frame-times FILE  each frame's row, entry and render milliseconds (video, frames)\n"
    "  --keep-going        render although an effect did not compile (a lower entry's effect draws it)\n"
    "  --hang-after S      seconds without a frame, 1 to 3600, before the run ends naming an effect that\n"
    "                      never finishes (default 30)\n"
    "  --force             overwrite existing output files\n"
    "  --help              this text\n"
    "Exit status: 0 done, 1 failed, 2 bad arguments, 130 interrupted.\n";
}

namespace {
bool is_video(const char* path)
{
    const size_t n = std::strlen(path);
    return n > 4 && (!std::strcmp(path + n - 4, ".mp4") || !std::strcmp(path + n - 4, ".mkv"));
}

std::string row_value(const char* value, double& out) { return parse_row(value, out) ? "" : row_rule(); }

// One option's value: empty, or what the option allows.
std::string read_value(const std::string& name, const char* value, capture_options& o)
{
    double number;
    if (name == "--at")
        return row_value(value, o.at);
    if (name == "--from")
        return o.from_given = true, row_value(value, o.from);
    if (name == "--to")
        return row_value(value, o.to);
    if (name == "--entry") {
        if (!parse_number(value, number) || number != std::floor(number) || number < 0 || number >= entry_count)
            return "an entry is a whole number from 0 to " + std::to_string(entry_count - 1);
        return o.entry = int(number), "";
    }
    if (name == "--clock")
        return parse_number(value, o.clock) ? "" : "the clock is a number of seconds";
    if (name == "--hang-after") {
        if (!parse_number(value, number) || number < 1 || number > 3600)
            return "a wait is a number of seconds from 1 to 3600";
        return o.hang_after = number, "";
    }
    if (name == "--fps")
        return parse_frame_rate(value, o.rate) ? "" : frame_rate_rule();
    if (name == "--width") {
        if (!parse_number(value, number) || number != std::floor(number) || number < 1 || number > 16384)
            return "a width is a whole number of pixels from 1 to 16384";
        return o.width = int(number), "";
    }
    if (name == "--part") {
        int k = 0, n = 0, used = 0;
        if (std::sscanf(value, "%d/%d%n", &k, &n, &used) != 2 || value[used] || n < 1 || k < 1 || k > n)
            return "a part is K/N, the K-th of N parts, K from 1 to N";
        return o.part = k, o.parts = n, "";
    }
    if (name == "--preview") {
        if (std::strcmp(value, "1") && std::strcmp(value, "2") && std::strcmp(value, "4") && std::strcmp(value, "8"))
            return "a preview scale is 1, 2, 4 or 8";
        return o.preview = std::atoi(value), "";
    }
    if (name == "--shader-dir" || name == "--music" || name == "--compare") {
        (name == "--music" ? o.music_dir : name == "--compare" ? o.compare : o.shader_dir) = value;
        return unreadable_folder(value);
    }
    if (!*value)
        return "a file name is needed";
    if (name == "-o")
        o.output = value;
    else if (name == "--frame-times")
        o.frame_times = value;
    else if (name == "--sound")
        o.sound = value;
    else if (name == "--timeline")
        o.timeline = value;
    else
        o.target = value; // --sheet, --atlas, --sound-only
    return "";
}

struct mode_option {
    const char* name;
    capture_mode mode;
    bool takes_value;
};
constexpr mode_option mode_options[] = {
    {"--at", capture_mode::still, true},    {"--from", capture_mode::sequence, true}, {"--entry", capture_mode::entry, true},
    {"--sheet", capture_mode::sheet, true}, {"--atlas", capture_mode::atlas, true},   {"--bench", capture_mode::bench, false},
    {"--sound-only", capture_mode::sound, true}, {"--join", capture_mode::join, false},
    {"--list-devices", capture_mode::devices, false},
};
constexpr const char* value_options[] = {"--to", "--clock", "--fps", "--width", "--shader-dir", "--music", "-o", "--frame-times",
                                         "--timeline", "--preview", "--part", "--sound", "--compare", "--hang-after"};

// Each argument in turn: flags, mode options and values.
std::string read_arguments(int argc, char** argv, capture_options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        const mode_option* mode = nullptr;
        for (const mode_option& m : mode_options)
            if (name == m.name)
                mode = &m;
        bool takes_value = mode ? mode->takes_value : false;
        for (const char* v : value_options)
            takes_value |= name == v;
        // --from gives --sound-only its range, before or after it, as it gives a video its range.
        const bool sound_from = mode && ((name == "--from" && o.mode == capture_mode::sound) ||
                                         (mode->mode == capture_mode::sound && o.mode == capture_mode::sequence));
        // --entry narrows --bench to one entry, before or after it.
        const bool bench_entry = mode && ((name == "--entry" && o.mode == capture_mode::bench) ||
                                          (mode->mode == capture_mode::bench && o.mode == capture_mode::entry));
        if (mode && o.mode_option && !sound_from && !bench_entry)
            return std::string(o.mode_option) + " and " + name + ": only one of --at, --from, --entry, --sheet, " +
                   "--bench, --atlas, --sound-only, --join and --list-devices at a time";
        if (mode && !(sound_from && name == "--from") && !(bench_entry && name == "--entry")) {
            o.mode = mode->mode;
            o.mode_option = mode->name;
        }
        if (takes_value) {
            if (i + 1 >= argc)
                return name + " needs a value (see --help)";
            const char* value = argv[++i];
            const std::string problem = read_value(name, value, o);
            if (!problem.empty())
                return name + " " + (*value ? value : "''") + ": " + problem;
        } else if (name == "--column")
            o.column = true;
        else if (name == "--force")
            o.force = true;
        else if (name == "--keep-going")
            o.keep_going = true;
        else if (name == "--help")
            o.help = true;
        else if (o.mode == capture_mode::join && !mode && name[0] != '-')
            o.joined.push_back(argv[i]);
        else if (!mode)
            return "unknown option " + name + " (see --help)";
    }
    return "";
}

// A video file named with -o makes a video of the rows --from and --to give.
std::string settle_mode(capture_options& o)
{
    if (o.mode == capture_mode::sound && o.to < 0)
        o.to = show_end_row;
    if (o.output && is_video(o.output) && o.mode != capture_mode::join) {
        if (o.mode != capture_mode::none && o.mode != capture_mode::sequence)
            return std::string("-o ") + o.output + ": a video goes with --from and --to, not " + o.mode_option;
        o.mode = capture_mode::video;
        if (o.to < 0)
            o.to = show_end_row;
    }
    if (o.mode == capture_mode::none)
        return "nothing to make: give -o VIDEO.mp4, --at, --from with --to, --entry, --sheet, --bench or --atlas "
               "(see --help)";
    return "";
}

// The options that only some modes use.
std::string check_fit(const capture_options& o)
{
    using m = capture_mode;
    const bool wants_output = o.mode == m::video || o.mode == m::sequence || o.mode == m::still || o.mode == m::entry ||
                              o.mode == m::join;
    if (wants_output && !o.output)
        return std::string(o.mode_option ? o.mode_option : "-o") + " needs -o FILE for what it makes";
    if (!wants_output && o.output)
        return std::string("-o ") + o.output + ": " + o.mode_option + " names its own file or none";
    if (o.mode == m::sequence && o.to < 0)
        return "--from needs --to ROW for a frame sequence (or -o NAME.mp4 for a video)";
    if (o.mode != m::sequence && o.mode != m::video && o.mode != m::sound && o.to >= 0)
        return "--to goes with --from, or with -o VIDEO.mp4 or --sound-only";
    if (o.to >= 0 && o.to <= o.from)
        return "--to " + number_text(o.to) + ": the range ends before it, so it must come after --from " +
               number_text(o.from);
    if (o.mode == m::sequence && frame_row(o.rate, 0, first_frame_at(o.rate, o.from)) >= o.to) {
        const std::string fps = std::to_string(o.rate.num) + (o.rate.den > 1 ? "/" + std::to_string(o.rate.den) : "");
        return "--from " + number_text(o.from) + " --to " + number_text(o.to) + ": no frame of the show at " + fps +
               " fps lies between";
    }
    if (o.preview != 1 && o.mode != m::bench && o.mode != m::still && o.mode != m::sequence)
        return "--preview goes with --bench, --at or --from --to -o DIR";
    if (o.compare && o.mode != m::bench)
        return "--compare goes with --bench";
    if (!std::isnan(o.clock) && o.mode != m::entry && o.mode != m::sheet && o.mode != m::bench)
        return "--clock goes with --entry, --sheet or --bench";
    // --sound-only takes the options of the parts it goes with, and a part --music, so a farm hands every step the same.
    if (o.column && o.mode != m::video && o.mode != m::still && o.mode != m::sound)
        return "--column goes with -o VIDEO.mp4 or --at";
    if (o.music_dir && !draws_or_sounds(o.mode))
        return "--music goes with what draws the show or records its sound";
    if (o.parts && o.mode != m::video)
        return "--part goes with -o VIDEO.mp4";
    const long frames = long(frames_between(o.rate, o.from, o.to));
    if (o.parts > most_parts(frames, keyframe_interval(o.rate)))
        return "--part " + std::to_string(o.part) + "/" + std::to_string(o.parts) + ": " + render_range(o.from, o.to, o.rate) +
               " hold " + std::to_string(most_parts(frames, keyframe_interval(o.rate))) +
               " keyframes, and a part starts on one, so there are at most that many parts";
    if (o.mode == m::join && (o.joined.empty() || !o.sound || !is_video(o.output)))
        return "--join needs the parts, --sound FILE and -o VIDEO.mp4 or .mkv";
    if (o.mode == m::sound && (std::strlen(o.target) < 5 || std::strcmp(o.target + std::strlen(o.target) - 4, ".wav")))
        return std::string("--sound-only ") + o.target + ": the soundtrack is written as a .wav file";
    if (o.sound && o.mode != m::join)
        return "--sound goes with --join";
    if (o.frame_times && o.mode != m::video && o.mode != m::sequence)
        return "--frame-times goes with a video or a frame sequence (--from, --to)";
    return "";
}
}

std::string parse_capture_options(int argc, char** argv, capture_options& o)
{
    std::string problem = read_arguments(argc, argv, o);
    if (problem.empty() && !o.help)
        problem = settle_mode(o);
    if (problem.empty() && !o.help)
        problem = check_fit(o);
    return problem;
}

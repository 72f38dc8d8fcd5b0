// Reading and writing the timeline's text form.
#include <charconv>
#include <cstdlib>
#include <sstream>

#include "timeline/source.h"

namespace {
const char* const mode_names[sync_mode_count] = {"step", "linear", "smooth", "ramp"};

const char header[] =
    "# The show's timeline: 17 tracks, one value each, written to the shaders every frame.\n"
    "# A track starts with   track NAME scale S   where the track's values are whole\n"
    "# multiples of 2^(S - 10) (scale 4: 1/64, scale 10: 1, scale 11: 2).\n"
    "# Each key below it is   ROW VALUE MODE   : from ROW (eighths of a second) the track\n"
    "# goes from VALUE toward the next key by MODE: step (hold), linear, smooth or ramp\n"
    "# (slow start). The last key holds to the end. feed:target counts entries (3.0 is\n"
    "# entry 3). Everything after # is a comment.\n";

bool parse_mode(const std::string& word, sync_mode& mode)
{
    for (int m = 0; m < sync_mode_count; ++m)
        if (word == mode_names[m]) {
            mode = sync_mode(m);
            return true;
        }
    return false;
}

bool parse_int(const std::string& word, int& out)
{
    const char* end = word.data() + word.size();
    auto [p, ec] = std::from_chars(word.data(), end, out);
    return ec == std::errc() && p == end;
}

bool parse_real(const std::string& word, double& out)
{
    char* end = nullptr;
    out = std::strtod(word.c_str(), &end);
    return !word.empty() && *end == '\0';
}

std::string real_text(double v)
{
    char buf[64];
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, p);
}
}

bool parse_timeline(const std::string& text, timeline_source& out, std::string& error)
{
    out = {};
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const size_t hash = line.find('#');
        std::istringstream words(line.substr(0, hash));
        std::vector<std::string> w;
        for (std::string word; words >> word;)
            w.push_back(word);
        const auto fail = [&](const std::string& why) {
            error = "line " + std::to_string(number) + ": " + why;
            return false;
        };
        if (w.empty())
            continue;
        if (w[0] == "track") {
            source_track track;
            if (w.size() != 4 || w[2] != "scale" || !parse_int(w[3], track.scale))
                return fail("expected: track NAME scale S");
            track.name = w[1];
            out.tracks.push_back(track);
            continue;
        }
        if (out.tracks.empty())
            return fail("a key before the first track line");
        source_key key;
        if (w.size() != 3 || !parse_int(w[0], key.row))
            return fail("expected: ROW VALUE MODE");
        if (!parse_real(w[1], key.value))
            return fail("'" + w[1] + "' is not a number");
        if (!parse_mode(w[2], key.mode))
            return fail("unknown mode '" + w[2] + "' (step, linear, smooth or ramp)");
        out.tracks.back().keys.push_back(key);
    }
    return true;
}

std::string format_timeline(const timeline_source& source)
{
    std::string text = header;
    for (const source_track& track : source.tracks) {
        text += "\ntrack " + track.name + " scale " + std::to_string(track.scale) + "\n";
        for (const source_key& key : track.keys)
            text += "  " + std::to_string(key.row) + " " + real_text(key.value) + " " + mode_names[key.mode] + "\n";
    }
    return text;
}

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

// The words of a line before its comment.
std::vector<std::string> words_of(const std::string& line)
{
    std::istringstream words(line.substr(0, line.find('#')));
    std::vector<std::string> w;
    for (std::string word; words >> word;)
        w.push_back(word);
    return w;
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
        const std::vector<std::string> w = words_of(line);
        const auto fail = [&](const std::string& why) {
            error = "line " + std::to_string(number) + ": " + why;
            return false;
        };
        // A word would end at a NUL unseen, as the compiler reads an effect's text.
        if (line.find('\0') != std::string::npos)
            return fail("holds a NUL byte");
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

std::string format_key(const source_key& key)
{
    return "  " + std::to_string(key.row) + " " + real_text(key.value) + " " + mode_names[key.mode];
}

std::string format_timeline(const timeline_source& source) { return format_timeline(source, ""); }

namespace {
// A previous text cut into the notes that travel with its tracks and keys.
struct noted_key {
    std::string above, line; // own-line notes before it; the line as written
    source_key key;
    bool readable; // value and mode read from the line
    bool used;
};

struct noted_track {
    std::string name, above, line;
    int scale; // -1 when unreadable
    std::vector<noted_key> keys;
    bool used;
};

struct noted_text {
    bool has_tracks = false;
    std::string header, tail;
    std::vector<noted_track> tracks;
};

// The comment at the end of a line, with the blanks before it; empty when there is none.
std::string note_of(const std::string& line)
{
    size_t from = line.find('#');
    if (from == std::string::npos)
        return "";
    while (from > 0 && (line[from - 1] == ' ' || line[from - 1] == '\t'))
        --from;
    return line.substr(from);
}

noted_text read_notes(const std::string& text)
{
    noted_text out;
    std::string pending;   // lines waiting for the track or key they stand above
    size_t after_blank = 0; // where pending's last blank line ends
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const std::vector<std::string> w = words_of(line);
        source_key key{};
        if (w.size() >= 2 && w[0] == "track") {
            noted_track track{w[1], pending, line, -1, {}, false};
            if (w.size() != 4 || w[2] != "scale" || !parse_int(w[3], track.scale))
                track.scale = -1;
            if (!out.has_tracks) {
                // Up to the last blank line the text speaks of the whole file; after it, of this track.
                out.header = pending.substr(0, after_blank);
                track.above = pending.substr(after_blank);
                out.has_tracks = true;
            }
            out.tracks.push_back(std::move(track));
            pending.clear();
        } else if (!out.tracks.empty() && !w.empty() && parse_int(w[0], key.row)) {
            const bool readable = w.size() == 3 && parse_real(w[1], key.value) && parse_mode(w[2], key.mode);
            out.tracks.back().keys.push_back({pending, line, key, readable, false});
            pending.clear();
        } else {
            // Anything else the reader would refuse stays as the author's text, but as a note.
            pending += (w.empty() ? line : "# " + line) + "\n";
            if (line.find_first_not_of(" \t\r") == std::string::npos)
                after_blank = pending.size();
        }
    }
    out.tail = pending;
    return out;
}

template <typename T, typename P>
T* first_unused(std::vector<T>& items, P matches)
{
    for (T& item : items)
        if (!item.used && matches(item))
            return &item;
    return nullptr;
}
}

std::string format_timeline(const timeline_source& source, const std::string& previous)
{
    noted_text notes = read_notes(previous);
    if (!notes.has_tracks)
        notes = {}; // not a timeline: nothing in it to keep
    std::string text = notes.has_tracks ? notes.header : header;
    for (const source_track& track : source.tracks) {
        noted_track* old = first_unused(notes.tracks, [&](const noted_track& t) { return t.name == track.name; });
        const std::string track_line = "track " + track.name + " scale " + std::to_string(track.scale);
        if (old) {
            old->used = true;
            text += old->above + (old->scale == track.scale ? old->line : track_line + note_of(old->line)) + "\n";
        } else {
            text += "\n" + track_line + "\n";
        }
        for (const source_key& key : track.keys) {
            noted_key* was = old ? first_unused(old->keys, [&](const noted_key& k) { return k.key.row == key.row; })
                                 : nullptr;
            if (!was) {
                text += format_key(key) + "\n";
                continue;
            }
            was->used = true;
            const bool same = was->readable && was->key.value == key.value && was->key.mode == key.mode;
            text += was->above + (same ? was->line : format_key(key) + note_of(was->line)) + "\n";
        }
    }
    return text + notes.tail;
}

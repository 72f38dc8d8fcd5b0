// The timeline in source form (the text of show.timeline) and its packing
// into the stored tables. Build-time and tool code.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "timeline/sync.h"

struct source_key {
    int row;
    double value; // as the show sees it: raw value times the track's scale
    sync_mode mode;
};

struct source_track {
    std::string name; // e.g. "feed:target"
    int scale;        // scale byte: the track's scale is 2^(scale - 10)
    std::vector<source_key> keys;
};

struct timeline_source {
    std::vector<source_track> tracks; // sync_track_count of them, in slot order
};

// Reads the text; on failure returns false with error naming the line.
bool parse_timeline(const std::string& text, timeline_source& out, std::string& error);
// Writes text in exactly the layout parse_timeline reads, header comment included.
std::string format_timeline(const timeline_source& source);
// The same, keeping the author's notes and layout from `previous` (the file's text
// before): the header comment, the comments on their own lines above the track or
// key that follows them, and the comment on a key's line while its track and row
// remain. Lines that are unchanged stay as written; notes of keys no longer in
// `source` go with them. Lines of `previous` that are neither notes, tracks nor keys
// stay as comments.
std::string format_timeline(const timeline_source& source, const std::string& previous);
// One key as a line of the text, without its line end.
std::string format_key(const source_key& key);

// Stored form owning its tables.
struct packed_timeline {
    std::array<uint8_t, sync_row_slots> rows{};
    std::vector<uint8_t> keys, modes;
    std::vector<int16_t> values;
    std::array<uint8_t, sync_track_count> scales{};
    sync_tables view() const;
};

// One finding of the packer; track is an index into source.tracks (-1 for the whole
// timeline), row a timeline row (no_row where the finding concerns the whole track: a
// key's row may itself be negative). text names track, row and rule.
constexpr int no_row = -2147483647 - 1;
struct pack_problem {
    int track;
    int row;
    bool fatal; // true: the data cannot be stored as written
    std::string text;
};

// strict: stops at the first fatal problem and returns false (the build).
// lenient: stores the nearest storable form, reports every problem, returns true
// (a live editor). Warnings (a last key not in step mode) are reported in both.
bool pack_timeline(const timeline_source& source, packed_timeline& packed,
                   std::vector<pack_problem>& problems, bool strict);

// The show's track names in slot order.
extern const char* const show_track_names[sync_track_count];

// Decodes stored tables, the tracks named as the show names them.
timeline_source unpack_timeline(const sync_tables& tables);

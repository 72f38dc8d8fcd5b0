// The show's timeline as built (its keys, its stored tables, its values between keys and
// the entries its feed plays) against tests/snapshots/show_timeline.txt.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <set>

#include "driver/feed.h"
#include "tests/fixtures/snapshot.h"
#include "timeline/source.h"

namespace {
// The shortest text that reads back as the value.
template <typename T>
std::string number(T v)
{
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, v).ptr);
}

template <typename T>
void add_table(std::vector<std::string>& lines, const char* name, const T* table, int count)
{
    for (int from = 0; from < count; from += 20) {
        std::string line = std::string(name) + "[" + std::to_string(from) + "...]:";
        for (int k = from; k < std::min(count, from + 20); ++k)
            line += " " + std::to_string(int(table[k]));
        lines.push_back(line);
    }
}
}

TEST(ShowSnapshot, TimelineAsBuilt)
{
    const std::vector<std::string> names(show_track_names, show_track_names + sync_track_count);
    const timeline_source keys = unpack_timeline(show_sync);
    std::vector<std::string> lines;
    std::set<int> rows;
    for (const source_track& t : keys.tracks) {
        lines.push_back(t.name + ": scale " + std::to_string(t.scale));
        for (const source_key& k : t.keys) {
            // format_key's words after the row: value and mode.
            const std::string key = format_key(k);
            lines.push_back(t.name + " row " + std::to_string(k.row) + ":" + key.substr(key.find(' ', 2)));
            rows.insert(k.row);
        }
    }

    int used_rows = 0;
    while (used_rows < sync_row_slots && show_sync.rows[used_rows])
        ++used_rows;
    add_table(lines, "rows", show_sync.rows, used_rows);
    add_table(lines, "keys", show_sync.keys, show_sync.key_count);
    add_table(lines, "modes", show_sync.modes, show_sync.key_count);
    add_table(lines, "values", show_sync.values, show_sync.key_count);
    add_table(lines, "scales", show_sync.scales, sync_track_count);

    // At each key row and halfway to the next, every track.
    std::vector<double> at;
    for (auto r = rows.begin(); r != rows.end(); ++r) {
        at.push_back(*r);
        if (std::next(r) != rows.end())
            at.push_back((*r + *std::next(r)) / 2.0);
    }
    for (double row : at) {
        float out[sync_track_count] = {};
        syncget(float(row), out);
        std::string line = "at row " + number(row) + ":";
        for (float v : out)
            line += " " + number(v);
        lines.push_back(line);
    }

    // The entry the feed plays, frame by frame at 60 a second, wherever it changes.
    feed_state feed = {};
    int playing = -1;
    const int last_frame = show_end_row * 60 / rows_per_second;
    for (int frame = 0; frame <= last_frame; ++frame) {
        const int track = update_feed(feed, frame * double(rows_per_second) / 60);
        if (track != playing || frame == last_frame)
            lines.push_back("feed frame " + std::to_string(frame) + ": entry " + std::to_string(track) + " at row " +
                            number(float(frame * double(rows_per_second) / 60)) + ", position " + number(feed.position));
        playing = track;
    }
    check_text_snapshot("show_timeline.txt", lines, "at row ", names);
}

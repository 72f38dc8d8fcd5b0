// The show at every whole row as a seek to that row finds it: which track
// plays from where, and where the feed stands. The strip, the entry keys and
// the render range read it; it is rebuilt whenever the timeline changes.
#pragma once

#include "shared/state.h"
#include "timeline/sync.h"
#include "tools/common/frame_rate.h"

constexpr int mapped_rows = show_end_row + 1; // every whole row, the last included

struct show_map {
    int track[mapped_rows];         // the music playing
    double music_seconds[mapped_rows]; // how far into it
    float feed[mapped_rows];        // the feed's position, in entries
    int settled[entry_count];       // first row the feed rests on each entry; -1 when it never does
};

// Steps the feed at `rate` over the timeline playing, and lands at each row
// as seek_show does. The music is not touched.
void map_show(const frame_rate& rate, show_map& map);

// The rows [first, end) around `row` through which the same music plays
// without a break: an entry's whole stay.
void stay_at(const show_map& map, int row, int& first, int& end);

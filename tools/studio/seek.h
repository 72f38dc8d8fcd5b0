// Putting the show where it would be at a row, as if played from row 0.
#pragma once

#include "driver/feed.h"
#include "tools/common/frame_rate.h"
#include "tools/stepped/stepped_show.h"

// Where the show stands at a row.
struct show_place {
    feed_state feed;
    int track;            // the music playing
    double music_seconds; // how far into it
};

// Where a seek to `row` lands: `stepped`, the feed stepped through every
// frame before it with `playing` its music, moved to the row itself.
show_place land(feed_state stepped, track_since playing, double row);

// Steps the feed from row 0 at `rate` as the capture tool does and lands at
// `row`, leaving current_track at the track the show plays there.
show_place seek_show(const frame_rate& rate, double row);

#include "driver/authoring.h"
#include "driver/feed.h"
#include "shared/state.h"

feed_state pose_entry(const feed_state& start, int e, double rows, double seconds)
{
    feed_state feed = start;
    feed.time = feed.previous_time = float(seconds);
    syncget(float(rows), feed.tracks);
    feed.position = float(e);
    feed.heard = {e, 0};
    return feed;
}

void pose_plain(feed_state& feed)
{
    track_at(feed, slot_even_zoom) = track_at(feed, slot_odd_zoom) = 1;
    track_at(feed, slot_even_offset) = track_at(feed, slot_odd_offset) = 0;
    track_at(feed, slot_gain) = 1;
    track_at(feed, slot_blur) = 0;
    track_at(feed, slot_gamma) = 1;
}

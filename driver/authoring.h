// What the authoring tools do to the show's frame that the show never does:
// play another timeline, and pose an entry by hand.
#pragma once

#include "driver/feed.h"
#include "timeline/sync.h"

// Puts `tables` in the place of the timeline playing, for update_feed and
// syncget; the caller keeps their memory until another replaces them.
void play_timeline(const sync_tables& tables);

// `start` (the feed as the show starts) at `rows` with the clock at
// `seconds`, and entry e resting in the column, hearing
// its own track `seconds` in.
feed_state pose_entry(const feed_state& start, int e, double rows, double seconds);
// Zoom 1 and time offset 0 for either parity, gain 1, blur 0, gamma 1: the
// entry as its own shader draws it, the other sync values left as they are.
void pose_plain(feed_state& feed);

// What the authoring tools do to the show's frame that the show never does:
// play another timeline, start the feed afresh, and pose an entry by hand.
#pragma once

#include "timeline/sync.h"

// Puts `tables` in the place of the timeline playing, for update_feed and
// syncget; the caller keeps their memory until another replaces them.
void play_timeline(const sync_tables& tables);

// Once start-up has compiled the shaders: keeps frame_constants as it leaves
// them, for restart_feed.
void keep_start_constants();
// The show as its first frame finds it: the constants start-up left, the
// feed at entry 0. The music is not touched.
void restart_feed();

// The track a step to `now` gives from where the feed stands, and the feed
// position it reaches; the feed is left where it stood.
int peek_feed(double now, float& position);

// The show's constants at `rows` with the clock at `seconds`, and entry e
// resting in the column, hearing its own track `seconds` in.
void pose_entry(int e, double rows, double seconds);
// Zoom 1 and time offset 0 for either parity, gain 1, blur 0, gamma 1: the
// entry as its own shader draws it, the other sync values left as they are.
void pose_plain();

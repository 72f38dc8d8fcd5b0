// The drawing half of a frame, shared by the show and the capture tool: the
// three planned passes, run on the device. The caller moves the feed first
// (update_feed) and presents afterwards.
#pragma once

#include "driver/feed.h"

// Plans the passes for `feed` over the shaders compiled and the back buffer's
// width, and runs them: the feed goes into frame_constants here, each pass's
// values just before its upload.
void draw_passes(const feed_state& feed);

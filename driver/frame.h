// The drawing half of a frame, shared by the show and the capture tool: the
// three planned passes, run on the device. The caller moves the feed first
// (update_feed) and presents afterwards.
#pragma once

void draw_passes();

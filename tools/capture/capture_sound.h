// The capture's soundtrack, recorded before any frame is drawn: it depends on
// the feed alone, and a whole soundtrack lets ffmpeg read the pictures and
// the sound each at its own pace.
#pragma once
#include "tools/common/frame_rate.h"

// The sound of the frames from .. to at `rate`, as the show plays it from
// row 0 on (each frame carrying the samples up to the next frame's time, the
// first from `from` on), stepped without drawing into an unnamed file in
// memory, a bounded piece at a time. The file's descriptor, or -1 after a line
// on stderr. Leaves the feed and the music where the last frame left them.
int record_soundtrack(const frame_rate& rate, double from, double to);

#include "tools/studio/seek.h"

#include "driver/feed.h"
#include "music/playback.h"
#include "tools/capture_render.h"

double seek_show(double fps, double row)
{
    current_track = 0; // the show starts on entry 0's music at row 0
    int track = 0;
    double since = 0; // row of the frame that switched to `track`
    step_feed_to(fps, row, [&](double rows) {
        if (current_track != track)
            track = current_track, since = rows;
    });
    select_track(update_feed(row));
    if (current_track != track)
        since = row;
    return (row - since) * 0.125;
}

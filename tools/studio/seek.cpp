#include "tools/studio/seek.h"

#include <cmath>

#include "driver/feed.h"
#include "music/authoring.h"
#include "tools/stepped/stepped_show.h"

double seek_show(double fps, double row)
{
    restart_track_choice(); // the show starts on entry 0's music at row 0
    int track = 0;
    double since = 0; // row of the frame that switched to `track`
    // The display's rate to a thousandth, as an exact fraction like the capture tool's.
    const frame_rate rate{std::llround(fps * 1000), 1000};
    step_feed_to(rate, row, [&](double rows, int now) {
        select_track(now);
        if (now != track)
            track = now, since = rows;
    });
    const int now = update_feed(row);
    select_track(now);
    if (now != track)
        since = row;
    return (row - since) * row_seconds;
}

// Which track is heard at a frame and how far into it: a switch restarts the
// new track from its first sample at the row of the frame that chose it, as
// select_track does while the clock runs.
#pragma once

struct heard_track {
    int track;   // index into track_table; the show starts on 0 at row 0
    double since; // the row it started at
};

// What is heard from a frame at `rows` on whose feed chose `track`.
inline heard_track hear_track(heard_track before, int track, double rows)
{
    return track == before.track ? before : heard_track{track, rows};
}

// Putting the show where it would be at a row, as if played from row 0.
#pragma once

// Steps the feed from row 0 at `fps` as the capture tool does, then moves it
// to `row` itself, leaving current_track at the track the show plays there.
// Returns how far into that track the show's music would be, in seconds.
double seek_show(double fps, double row);

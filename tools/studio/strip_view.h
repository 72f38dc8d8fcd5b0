// The part of the show the strip spans, and the sums between its rows and
// its pixels: from the whole show down to a few seconds, zoomed about a
// point that stays put, scrolled, and following the playhead as it plays.
#pragma once

#include "timeline/sync.h"

constexpr double least_strip_rows = 3 * rows_per_second; // zoomed in as far as it goes: three seconds
constexpr double strip_zoom_step = 1.5;                   // one notch or key

struct strip_view {
    double first = 0;            // the row at the strip's left edge
    double rows = show_end_row;  // rows across its width
};

// Where `row` falls across a strip `width` pixels wide, and back.
double strip_x(const strip_view& v, double row, int width);
double strip_row_at(const strip_view& v, double x, int width);
// Between three seconds and the whole show, and never past either end.
strip_view clamped(strip_view v);
// `factor` times as many rows across (below 1 zooms in), with `row` staying
// at the pixel it was at.
strip_view zoomed(const strip_view& v, double row, double factor);
// Moved by `rows` (negative: back), stopping at the ends.
strip_view scrolled(const strip_view& v, double rows);
// While playing: a playhead that was in view at `before` and has left it at
// `row` (played past the right edge, or a loop gone back) turns the page so
// it stands near the left edge again. One the author scrolled away from is
// left alone until it comes back into view.
strip_view followed(const strip_view& v, double before, double row);

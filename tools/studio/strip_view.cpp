#include "tools/studio/strip_view.h"

#include <algorithm>

namespace {
constexpr double page_margin = 0.05; // of the width, left of a playhead after a page turn

bool in_view(const strip_view& v, double row) { return row >= v.first && row <= v.first + v.rows; }
}

double strip_x(const strip_view& v, double row, int width) { return (row - v.first) / v.rows * width; }

double strip_row_at(const strip_view& v, double x, int width) { return v.first + x / std::max(width, 1) * v.rows; }

strip_view clamped(strip_view v)
{
    v.rows = std::clamp(v.rows, least_strip_rows, double(show_end_row));
    v.first = std::clamp(v.first, 0.0, show_end_row - v.rows);
    return v;
}

strip_view zoomed(const strip_view& v, double row, double factor)
{
    strip_view z = v;
    z.rows = std::clamp(v.rows * factor, least_strip_rows, double(show_end_row));
    z.first = row - (row - v.first) * z.rows / v.rows;
    return clamped(z);
}

strip_view scrolled(const strip_view& v, double rows) { return clamped({v.first + rows, v.rows}); }

strip_view followed(const strip_view& v, double before, double row)
{
    if (in_view(v, row) || !in_view(v, before))
        return v;
    return clamped({row - page_margin * v.rows, v.rows});
}

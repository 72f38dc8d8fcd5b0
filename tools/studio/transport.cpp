#include "tools/studio/transport.h"

#include <algorithm>
#include <cmath>

#include "timeline/sync.h"

namespace {
double clamp_row(double row) { return std::clamp(row, 0.0, double(show_end_row)); }

// The row the feed settles on the entry before (or after) the one on screen
// at `row`: the last entry settled at or before it. Entries never settled on
// are skipped; past either end, row 0 or the show's end.
double entry_step(double row, const int settled[entry_count], bool forward)
{
    double here = -1, before = 0, after = show_end_row;
    for (int e = 0; e < entry_count; ++e)
        if (settled[e] >= 0 && settled[e] <= row)
            here = std::max<double>(here, settled[e]);
    for (int e = 0; e < entry_count; ++e) {
        const double r = settled[e];
        if (r < 0)
            continue;
        if (r < here)
            before = std::max(before, r);
        if (r > row)
            after = std::min(after, r);
    }
    return forward ? after : before;
}
}

double strip_row(const strip_view& view, double fraction)
{
    return clamp_row(std::floor(view.first + fraction * view.rows + 0.5));
}

bool apply_key(transport_state& t, studio_command key, const int settled[entry_count])
{
    const double before = t.row;
    // Steps land on whole rows, whatever fraction the row had.
    switch (key) {
    case studio_command::pause: t.paused = !t.paused; return false;
    case studio_command::back: t.row = clamp_row(std::ceil(t.row) - 1); break;
    case studio_command::forward: t.row = clamp_row(std::floor(t.row) + 1); break;
    case studio_command::back_far: t.row = clamp_row(std::ceil(t.row) - 8); break;
    case studio_command::forward_far: t.row = clamp_row(std::floor(t.row) + 8); break;
    case studio_command::previous_entry: t.row = entry_step(t.row, settled, false); break;
    case studio_command::next_entry: t.row = entry_step(t.row, settled, true); break;
    case studio_command::start: t.row = 0; break;
    case studio_command::end: t.row = show_end_row; break;
    case studio_command::loop_start: t.loop_start = t.row; return false;
    case studio_command::loop_end: t.loop_end = t.row; return false;
    case studio_command::loop_clear: t.loop_end = -1; return false;
    default: return false;
    }
    return t.row != before;
}

bool wrap_loop(transport_state& t)
{
    if (t.loop_end < 0 || t.loop_end <= t.loop_start || t.row < t.loop_end)
        return false;
    t.row = t.loop_start;
    return true;
}

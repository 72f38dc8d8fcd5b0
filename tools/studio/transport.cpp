#include "tools/studio/transport.h"

#include <algorithm>

#include "timeline/sync.h"

void find_entry_rows(const sync_tables& tables, double rows[entry_count])
{
    std::fill(rows, rows + entry_count, -1.0);
    float values[sync_track_count] = {};
    sync_scratch scratch;
    for (int r = 0; r <= int(studio_end_row); ++r) {
        sync_evaluate(tables, scratch, float(r), values);
        for (int e = 0; e < entry_count; ++e)
            if (rows[e] < 0 && values[0] >= float(e))
                rows[e] = r;
    }
}

namespace {
double clamp_row(double row) { return std::clamp(row, 0.0, studio_end_row); }

// Entry rows strictly after (or before) `row`, skipping entries never reached.
double next_entry_row(double row, const double entry_rows[entry_count], bool forward)
{
    double best = forward ? studio_end_row : 0;
    for (int e = 0; e < entry_count; ++e) {
        const double r = entry_rows[e];
        if (r < 0)
            continue;
        if (forward && r > row && r < best)
            best = r;
        if (!forward && r < row && r > best)
            best = r;
    }
    return best;
}
}

bool apply_key(transport_state& t, studio_key key, const double entry_rows[entry_count])
{
    const double before = t.row;
    switch (key) {
    case studio_key::pause: t.paused = !t.paused; return false;
    case studio_key::back: t.row = clamp_row(t.row - 1); break;
    case studio_key::forward: t.row = clamp_row(t.row + 1); break;
    case studio_key::back_far: t.row = clamp_row(t.row - 8); break;
    case studio_key::forward_far: t.row = clamp_row(t.row + 8); break;
    case studio_key::previous_entry: t.row = next_entry_row(t.row, entry_rows, false); break;
    case studio_key::next_entry: t.row = next_entry_row(t.row, entry_rows, true); break;
    case studio_key::start: t.row = 0; break;
    case studio_key::loop_start: t.loop_start = t.row; return false;
    case studio_key::loop_end: t.loop_end = t.row; return false;
    case studio_key::loop_clear: t.loop_end = -1; return false;
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

#include "tools/studio/beat_marks.h"

#include <algorithm>

namespace {
constexpr double near_row = 1e-6; // a playhead on a beat is at it, not past it
}

void mark_beats(const show_map& map, const beat_grid* grids, beat_marks& out)
{
    out.count = 0;
    for (int r = 0; r < mapped_rows;) {
        const int track = map.track[r];
        int end = r;
        while (end < mapped_rows && map.track[end] == track)
            ++end;
        // The track began where its music was at zero; it is heard until the next one starts.
        const double since = r - map.music_seconds[r] * rows_per_second;
        const double until = end < mapped_rows ? end - map.music_seconds[end] * rows_per_second : mapped_rows;
        if (track >= 0 && track < entry_count) {
            const beat_grid& grid = grids[track];
            for (int b = 0; b < grid.beat_count && out.count < most_beat_marks; ++b) {
                const double row = since + grid.beat_seconds[b] * rows_per_second;
                if (row >= std::max(since, 0.0) && row < until)
                    out.marks[out.count++] = {row, grid.beats_per_bar > 0 && b % grid.beats_per_bar == 0};
            }
        }
        r = end;
    }
}

double beat_before(const beat_marks& b, double row)
{
    const beat_mark* end = b.marks + b.count;
    const beat_mark* at = std::lower_bound(b.marks, end, row - near_row,
                                           [](const beat_mark& m, double r) { return m.row < r; });
    return at == b.marks ? row : (at - 1)->row;
}

double beat_after(const beat_marks& b, double row)
{
    const beat_mark* end = b.marks + b.count;
    const beat_mark* at = std::upper_bound(b.marks, end, row + near_row,
                                           [](double r, const beat_mark& m) { return r < m.row; });
    return at == end ? row : at->row;
}

#include "tools/studio/show_map.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "driver/authoring.h"
#include "driver/feed.h"
#include "tools/stepped/stepped_show.h"

namespace {
constexpr int firm_stay = 8; // rows at rest that count as arriving, not a hesitation

// The first row the feed rests on e for at least firm_stay rows, else the
// first it rests there at all.
int first_rest(const show_map& map, int e)
{
    int brief = -1;
    for (int r = 0; r < mapped_rows; ++r) {
        if (map.feed[r] != float(e))
            continue;
        int end = r;
        while (end < mapped_rows && map.feed[end] == float(e))
            ++end;
        if (end - r >= std::min(firm_stay, mapped_rows - r))
            return r;
        if (brief < 0)
            brief = r;
        r = end;
    }
    return brief;
}
}

void map_show(double fps, show_map& map)
{
    static float kept[frame_constant_count];
    std::memcpy(kept, frame_constants, sizeof kept);
    const frame_rate rate{std::llround(fps * 1000), 1000};
    int track = 0;
    double since = 0; // row of the frame that switched to `track`
    int row = 0;
    // Each whole row is looked at just before the first frame at or past it
    // is stepped: the feed stepped to it and put back, as a seek would.
    const auto look = [&](double next_frame) {
        for (; row < mapped_rows && row <= next_frame; ++row) {
            const int there = peek_feed(row, map.feed[row]);
            map.track[row] = there;
            map.music_seconds[row] = there == track ? (row - since) * row_seconds : 0;
        }
    };
    restart_feed();
    for (long k = 0; row < mapped_rows; ++k) {
        const double rows = frame_row(rate, 0, k);
        look(rows);
        const int now = update_feed(rows);
        if (now != track)
            track = now, since = rows;
    }
    for (int e = 0; e < entry_count; ++e)
        map.settled[e] = first_rest(map, e);
    std::memcpy(frame_constants, kept, sizeof kept);
}

void stay_at(const show_map& map, int row, int& first, int& end)
{
    row = std::clamp(row, 0, mapped_rows - 1);
    first = end = row;
    while (first > 0 && map.track[first - 1] == map.track[row])
        --first;
    while (end < mapped_rows && map.track[end] == map.track[row])
        ++end;
    end = std::min(end, show_end_row);
}

#include "tools/studio/show_map.h"

#include <algorithm>

#include "tools/studio/seek.h"

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

void map_show(const frame_rate& rate, show_map& map)
{
    track_since playing;
    int row = 0;
    // Each whole row is looked at just before the first frame at or past it
    // is stepped: where a seek to it lands.
    const auto look = [&](const feed_state& stepped, double next_frame) {
        for (; row < mapped_rows && row <= next_frame; ++row) {
            const show_place there = land(stepped, playing, row);
            map.track[row] = there.track;
            map.music_seconds[row] = there.music_seconds;
            map.feed[row] = there.feed.position;
        }
    };
    feed_state feed = first_feed();
    for (long k = 0; row < mapped_rows; ++k) {
        const double rows = frame_row(rate, 0, k);
        look(feed, rows);
        follow_track(playing, update_feed(feed, rows), rows);
    }
    for (int e = 0; e < entry_count; ++e)
        map.settled[e] = first_rest(map, e);
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

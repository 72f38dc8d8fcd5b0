#include <algorithm>
#include <cmath>
#include <iterator>
#include <set>

#include "tools/studio/rocket_keys.h"

bool rocket_set_key(rocket_track& track, uint32_t row, rocket_key key)
{
    if (track.keys.size() >= rocket_max_keys_per_track && !track.keys.count(row))
        return false;
    track.keys[row] = key;
    return true;
}

namespace {
constexpr int max_row_gap = 255;
constexpr int max_key_step = 254;

struct plain_key {
    uint32_t row;
    double value;
    uint8_t mode;
};

std::string where(const rocket_track& t, uint32_t row) { return "track " + t.name + " row " + std::to_string(row) + ": "; }

// A track as the evaluator sees it: an empty track is 0, and before its first key it holds that key's value.
std::vector<plain_key> with_row_zero(const rocket_track& t)
{
    std::vector<plain_key> keys;
    for (const auto& [row, k] : t.keys)
        keys.push_back({row, k.value, k.mode});
    if (keys.empty())
        keys.push_back({0, 0, 0});
    if (keys.front().row != 0)
        keys.insert(keys.begin(), {0, keys.front().value, 0});
    return keys;
}

// Nearest signed 16-bit raw value, reported when it does not give the value back exactly.
int16_t storable(const rocket_track& t, const plain_key& k, rocket_timeline& out)
{
    const double scale = std::ldexp(1.0, t.scale - 10);
    const double v = std::isnan(k.value) ? 0.0 : k.value;
    const double raw = std::clamp(std::nearbyint(v / scale), -32768.0, 32767.0);
    if (raw * scale != k.value)
        out.problems.push_back(where(t, k.row) + "value " + std::to_string(k.value) + " is not storable at scale 2^" +
                               std::to_string(t.scale - 10) + ", using " + std::to_string(raw * scale));
    return int16_t(raw);
}
}

rocket_timeline rocket_pack(const rocket_source& source)
{
    rocket_timeline out;
    std::vector<std::vector<plain_key>> tracks;
    std::set<uint32_t> rows;
    for (const rocket_track& t : source) {
        tracks.push_back(with_row_zero(t));
        for (const plain_key& k : tracks.back())
            rows.insert(k.row);
    }

    // Distinct rows, each at most 255 after the previous one; those past slot 512 cannot be stored.
    std::map<uint32_t, int> index_of;
    std::map<uint32_t, uint32_t> stored_row;
    uint32_t previous = 0;
    for (uint32_t row : rows) {
        const int j = int(index_of.size());
        if (j == sync_row_slots)
            break;
        const uint32_t r = j == 0 ? 0 : std::min<uint32_t>(row, previous + max_row_gap);
        if (j > 0)
            out.rows[j - 1] = uint8_t(r - previous);
        index_of[row] = j;
        stored_row[row] = r;
        previous = r;
    }

    for (size_t s = 0; s < source.size(); ++s) {
        const rocket_track& t = source[s];
        std::vector<plain_key>& keys = tracks[s];
        for (const plain_key& k : keys) {
            if (!index_of.count(k.row))
                out.problems.push_back(where(t, k.row) + "beyond the 512 rows the format holds; keys from here dropped");
            else if (stored_row[k.row] != k.row)
                out.problems.push_back(where(t, k.row) + "more than 255 rows after the row before; stored at row " +
                                       std::to_string(stored_row[k.row]));
            if (!index_of.count(k.row))
                break;
        }
        std::erase_if(keys, [&](const plain_key& k) { return !index_of.count(k.row); });

        out.scales.push_back(t.scale);
        for (size_t i = 0; i < keys.size(); ++i) {
            const plain_key k = keys[i]; // a copy: a split below inserts into keys
            const bool last = i + 1 == keys.size();
            int step = last ? sync_last_key : index_of[keys[i + 1].row] - index_of[k.row];
            if (step > max_key_step) {
                // Too far to the track's next key: a step or linear segment splits into two exactly.
                step = max_key_step;
                if (k.mode > 1)
                    out.problems.push_back(where(t, k.row) + "next key more than 254 distinct rows on; " +
                                           "curve split in two with a linear half");
                const uint32_t mid_row = std::next(index_of.begin(), index_of[k.row] + step)->first;
                const plain_key& n = keys[i + 1];
                const double x = double(stored_row[mid_row] - stored_row[k.row]) /
                                 double(stored_row[n.row] - stored_row[k.row]);
                const double mid = k.mode == 0 ? k.value : k.value + (n.value - k.value) * x;
                keys.insert(keys.begin() + i + 1, {mid_row, mid, uint8_t(k.mode == 0 ? 0 : 1)});
            }
            out.keys.push_back(uint8_t(step));
            out.modes.push_back(last ? 0 : k.mode);
            out.values.push_back(storable(t, k, out));
        }
    }
    return out;
}

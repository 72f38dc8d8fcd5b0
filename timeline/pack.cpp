// Packing the source form into the five stored tables, and back.
#include <algorithm>
#include <cmath>
#include <set>

#include "timeline/source.h"

const char* const show_track_names[sync_track_count] = {
    "feed:target", "feed:rate",    "even:zoom",    "even:offset", "odd:zoom",     "odd:offset",
    "scene:parts", "scene:mirror", "scene:banner", "scene:hue",   "camera:x",     "camera:y",
    "camera:z",    "camera:pitch", "out:gain",     "out:blur",    "out:gamma",
};

namespace {
// Scale bytes whose 2^(s - 10) is a normal float.
constexpr int lowest_scale = 0, highest_scale = 137;
constexpr int max_key_step = 254;
constexpr int max_row_gap = 255;

struct packer {
    const timeline_source& source;
    std::vector<pack_problem>& problems;
    bool strict;
    bool failed = false;

    // Returns whether packing goes on.
    bool report(int track, int row, bool fatal, const std::string& rule)
    {
        std::string where = track >= 0 ? "track " + source.tracks[track].name : "timeline";
        if (row != no_row)
            where += ", row " + std::to_string(row);
        problems.push_back({track, row, fatal, where + ": " + rule});
        if (fatal && strict)
            failed = true;
        return !failed;
    }
};

struct raw_key {
    int row;
    int16_t raw;
    sync_mode mode;
};

double scale_value(int s) { return std::ldexp(1.0, s - 10); }

std::string real_text(double v)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.10g", v);
    return buf;
}

// One track's keys as raw values, sorted and starting at row 0; false stops packing.
bool check_track(packer& p, int t, int& scale, std::vector<raw_key>& out)
{
    const source_track& track = p.source.tracks[t];
    scale = track.scale;
    if (scale < lowest_scale || scale > highest_scale) {
        if (!p.report(t, no_row, true, "scale byte " + std::to_string(scale) + " is outside " +
                                       std::to_string(lowest_scale) + " to " + std::to_string(highest_scale)))
            return false;
        scale = std::clamp(scale, lowest_scale, highest_scale);
    }
    const double unit = scale_value(scale);
    // A key off the show's rows or without a value is named for itself, before
    // the rows around it are judged by it.
    std::vector<source_key> keys;
    for (const source_key& k : track.keys) {
        const std::string why = k.row < 0                ? "a key's row cannot be negative"
                              : k.row > show_end_row     ? "past the show's end at row " + std::to_string(show_end_row)
                              : !std::isfinite(k.value) ? "the value is not a finite number"
                                                         : "";
        if (why.empty())
            keys.push_back(k);
        else if (!p.report(t, k.row, true, why))
            return false;
    }
    for (size_t k = 1; k < keys.size(); ++k)
        if (keys[k].row <= keys[k - 1].row &&
            !p.report(t, keys[k].row, true, keys[k].row == keys[k - 1].row ? "two keys on one row"
                                                                           : "keys must be in ascending rows"))
            return false;
    std::stable_sort(keys.begin(), keys.end(), [](auto& a, auto& b) { return a.row < b.row; });
    // Of several keys on one row, the last one written counts.
    std::vector<source_key> unique;
    for (const source_key& k : keys) {
        if (!unique.empty() && unique.back().row == k.row)
            unique.back() = k;
        else
            unique.push_back(k);
    }
    if (unique.empty() || unique.front().row != 0) {
        if (!p.report(t, keys.empty() ? 0 : keys.front().row, true, "a track's first key must sit at row 0"))
            return false;
        unique.insert(unique.begin(), {0, unique.empty() ? 0.0 : unique.front().value, sync_step});
    }
    for (const source_key& k : unique) {
        const double raw = k.value / unit;
        const double lo = std::max(-32768.0, std::min(32767.0, std::floor(raw)));
        const double hi = std::max(-32768.0, std::min(32767.0, std::ceil(raw)));
        if (raw != lo) {
            const std::string nearest = lo == hi ? real_text(lo * unit)
                                                 : real_text(lo * unit) + " or " + real_text(hi * unit);
            if (!p.report(t, k.row, true, "value " + real_text(k.value) + " is not a whole multiple of " +
                                              real_text(unit) + " within 16 bits; nearest: " + nearest))
                return false;
        }
        const double nearest = raw - lo <= hi - raw ? lo : hi;
        out.push_back({k.row, int16_t(nearest), k.mode});
    }
    if (out.back().mode != sync_step) {
        p.report(t, out.back().row, false, "the last key holds its value; its mode is stored as step");
        out.back().mode = sync_step;
    }
    return true;
}
}

sync_tables packed_timeline::view() const
{
    return {rows.data(), keys.data(), modes.data(), values.data(), scales.data(), int(keys.size())};
}

namespace {
using raw_tracks = std::vector<std::vector<raw_key>>;

// Every track checked and turned into raw keys, with its scale byte stored.
bool check_tracks(packer& p, raw_tracks& tracks, packed_timeline& packed)
{
    if (p.source.tracks.size() != size_t(sync_track_count)) {
        p.report(-1, no_row, true, std::to_string(p.source.tracks.size()) + " tracks, the show has " +
                                   std::to_string(sync_track_count));
        return false;
    }
    tracks.assign(sync_track_count, {});
    for (int t = 0; t < sync_track_count; ++t) {
        int scale;
        if (!check_track(p, t, scale, tracks[t]))
            return false;
        packed.scales[t] = uint8_t(scale);
    }
    return true;
}

int first_track_at(const raw_tracks& tracks, int row)
{
    for (int t = 0; t < sync_track_count; ++t)
        for (const raw_key& k : tracks[t])
            if (k.row == row)
                return t;
    return -1;
}

// The distinct key rows of all tracks. When lenient, a gap too wide gets
// unkeyed rows in between, and keys past the last row slot are dropped.
bool distinct_rows(packer& p, raw_tracks& tracks, std::vector<int>& rows)
{
    std::set<int> row_set;
    for (const auto& keys : tracks)
        for (const raw_key& k : keys)
            row_set.insert(k.row);
    for (int row : row_set) {
        if (!rows.empty() && row - rows.back() > max_row_gap) {
            if (!p.report(first_track_at(tracks, row), row, true,
                          "more than " + std::to_string(max_row_gap) + " rows after the previous key row " +
                              std::to_string(rows.back())))
                return false;
            while (row - rows.back() > max_row_gap)
                rows.push_back(rows.back() + max_row_gap);
        }
        rows.push_back(row);
    }
    if (rows.size() > size_t(sync_row_slots)) {
        const int row = rows[sync_row_slots];
        if (!p.report(first_track_at(tracks, row), row, true,
                      "more than " + std::to_string(sync_row_slots) + " distinct key rows; keys from here on are dropped"))
            return false;
        rows.resize(sync_row_slots);
        for (auto& keys : tracks) {
            while (keys.size() > 1 && keys.back().row > rows.back())
                keys.pop_back();
            keys.back().mode = sync_step;
        }
    }
    return true;
}

void store_key(packed_timeline& packed, int step, sync_mode mode, int16_t raw)
{
    packed.keys.push_back(uint8_t(step));
    packed.modes.push_back(mode);
    packed.values.push_back(raw);
}

// Each track's keys as steps through the distinct rows. When lenient, a key
// whose next is too many rows on holds to the end, dropping the rest.
bool store_keys(packer& p, const raw_tracks& tracks, const std::vector<int>& rows, packed_timeline& packed)
{
    const auto index_of = [&](int row) { return int(std::lower_bound(rows.begin(), rows.end(), row) - rows.begin()); };
    for (int t = 0; t < sync_track_count; ++t) {
        const auto& keys = tracks[t];
        for (size_t k = 0; k < keys.size(); ++k) {
            int step = sync_last_key;
            if (k + 1 < keys.size()) {
                step = index_of(keys[k + 1].row) - index_of(keys[k].row);
                if (step > max_key_step) {
                    if (!p.report(t, keys[k].row, true,
                                  "the next key of this track is " + std::to_string(step) +
                                      " key rows on, at most " + std::to_string(max_key_step) + " can be stored"))
                        return false;
                    store_key(packed, sync_last_key, sync_step, keys[k].raw);
                    break;
                }
            }
            store_key(packed, step, keys[k].mode, keys[k].raw);
        }
    }
    return true;
}
}

bool pack_timeline(const timeline_source& source, packed_timeline& packed, std::vector<pack_problem>& problems,
                   bool strict)
{
    packer p{source, problems, strict};
    packed = {};
    raw_tracks tracks;
    std::vector<int> rows;
    if (!check_tracks(p, tracks, packed) || !distinct_rows(p, tracks, rows))
        return false;
    for (size_t k = 1; k < rows.size(); ++k)
        packed.rows[k - 1] = uint8_t(rows[k] - rows[k - 1]);
    return store_keys(p, tracks, rows, packed);
}

timeline_source unpack_timeline(const sync_tables& tables)
{
    std::vector<int> rows{0};
    for (int k = 0; k + 1 < sync_row_slots; ++k)
        rows.push_back(rows.back() + tables.rows[k]);
    timeline_source source;
    int j = 0;
    for (int i = 0; i < tables.key_count; ++i) {
        if (j == 0) {
            const size_t t = source.tracks.size();
            if (t == size_t(sync_track_count))
                break; // keys past the last track's end belong to no track
            source.tracks.push_back({show_track_names[t], tables.scales[t], {}});
        }
        source_track& track = source.tracks.back();
        track.keys.push_back({rows[j], tables.values[i] * scale_value(track.scale), sync_mode(tables.modes[i] & 3)});
        j = tables.keys[i] == sync_last_key ? 0 : j + tables.keys[i];
        j = std::min(j, sync_row_slots - 1);
    }
    return source;
}

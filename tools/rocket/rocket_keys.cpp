#include "tools/rocket/rocket_keys.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdlib>

bool rocket_set_key(rocket_track& track, uint32_t row, rocket_key key)
{
    if (track.keys.size() >= rocket_max_keys_per_track && !track.keys.count(row))
        return false;
    track.keys[row] = key;
    return true;
}

namespace {
// The editor's 32-bit value as the decimal the author typed: the shortest text that reads back as it.
double typed(float v)
{
    char text[32];
    *std::to_chars(text, text + sizeof text - 1, v).ptr = 0;
    return std::strtod(text, nullptr);
}
}

timeline_source rocket_to_source(const rocket_source& keys)
{
    timeline_source source;
    for (const rocket_track& t : keys) {
        source_track& s = source.tracks.emplace_back(source_track{t.name, t.scale, {}});
        for (const auto& [row, k] : t.keys)
            s.keys.push_back({int(std::min<uint32_t>(row, INT_MAX)), typed(k.value), k.mode});
        if (s.keys.empty())
            s.keys.push_back({0, 0.0, sync_step});
        if (s.keys.front().row != 0)
            s.keys.insert(s.keys.begin(), {0, s.keys.front().value, sync_step});
    }
    return source;
}

rocket_source rocket_from_source(const timeline_source& source)
{
    rocket_source keys;
    for (const source_track& s : source.tracks) {
        rocket_track& t = keys.emplace_back(rocket_track{s.name, uint8_t(s.scale), {}});
        for (const source_key& k : s.keys)
            if (k.row >= 0) // an editor's rows start at 0
                t.keys[uint32_t(k.row)] = {float(k.value), k.mode};
    }
    return keys;
}

rocket_timeline rocket_pack(const rocket_source& keys)
{
    rocket_timeline out;
    std::vector<pack_problem> problems;
    if (!pack_timeline(rocket_to_source(keys), out.packed, problems, false))
        out.problems.push_back("the timeline cannot be packed");
    for (const pack_problem& p : problems)
        out.problems.push_back(p.text);
    return out;
}

// The author's keys as the editor holds them, and the timeline the show would play from them. Packing is
// lenient: what the format cannot store is replaced by its nearest storable form and reported, while the keys
// themselves keep the author's values.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "timeline/source.h"

struct rocket_key {
    float value = 0;
    sync_mode mode = sync_step;
};

struct rocket_track {
    std::string name;
    uint8_t scale = 10; // scale byte: the track's values are raw × 2^(scale − 10)
    std::map<uint32_t, rocket_key> keys;
};

using rocket_source = std::vector<rocket_track>;

// Bounds what one editor can make the studio hold.
inline constexpr size_t rocket_max_keys_per_track = 4096;

// False, changing nothing, when the track already holds the most keys allowed.
bool rocket_set_key(rocket_track& track, uint32_t row, rocket_key key);

// The tracks as the timeline source has them, and back. An editor's track with no keys is 0, and before its
// first key it holds that key's value; the source says both with a key at row 0. Source keys before row 0 have
// no place in the editor and are left out.
timeline_source rocket_to_source(const rocket_source& keys);
rocket_source rocket_from_source(const timeline_source& source);

// A packed timeline and what could not be stored as the author gave it.
struct rocket_timeline {
    packed_timeline packed;
    std::vector<std::string> problems;
};

rocket_timeline rocket_pack(const rocket_source& keys);

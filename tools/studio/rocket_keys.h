// The author's keys as the editor holds them, and their packing into the show's stored tables. Packing is lenient:
// what the format cannot store is replaced by its nearest storable form and reported, while the keys themselves
// keep the author's values.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "timeline/sync.h"

struct rocket_key {
    float value = 0;
    uint8_t mode = 0; // 0 step, 1 linear, 2 smooth, 3 ramp
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

// The packed tables of one timeline, and what could not be stored as given.
struct rocket_timeline {
    std::vector<uint8_t> rows = std::vector<uint8_t>(sync_row_slots);
    std::vector<uint8_t> keys, modes, scales;
    std::vector<int16_t> values;
    std::vector<std::string> problems; // "track NAME row R: ..." lines
    sync_tables tables() const
    {
        return {rows.data(), keys.data(), modes.data(), values.data(), scales.data(), int(keys.size())};
    }
};

rocket_timeline rocket_pack(const rocket_source& source);

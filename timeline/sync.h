// Sync tracks: keys stored in five compact tables, evaluated once per frame.
#pragma once
#include <cstdint>

constexpr int sync_track_count = 17;
constexpr int sync_row_slots = 512;
constexpr uint8_t sync_last_key = 255;

// The timeline runs in rows of an eighth of a second; the show ends once it
// passes its last row.
constexpr int rows_per_second = 8;
constexpr double row_seconds = 1.0 / rows_per_second;
constexpr int show_end_row = 1712;
constexpr double show_end_seconds = show_end_row * row_seconds;

// Interpolation from a key toward the next key of its track.
enum sync_mode : uint8_t { sync_step = 0, sync_linear = 1, sync_smooth = 2, sync_ramp = 3 };
constexpr int sync_mode_count = 4;

// A view of the five stored tables; key_count counts the keys of all tracks.
struct sync_tables {
    const uint8_t* rows; // sync_row_slots entries
    const uint8_t* keys;
    const uint8_t* modes;
    const int16_t* values;
    const uint8_t* scales; // sync_track_count entries
    int key_count;
};

// The evaluator's working space, owned by the caller.
struct sync_scratch {
    float rowdoffs[sync_row_slots]; // t minus each distinct row
    float intfacs[sync_mode_count]; // interpolation factor per mode
};

// The show's own tables, packed from timeline/show.timeline at build time.
extern const uint8_t sync_rows[sync_row_slots];
extern const uint8_t sync_keys[];
extern const uint8_t sync_modes[];
extern const int16_t sync_values[];
extern const uint8_t sync_scales[sync_track_count];
extern const int sync_key_count;
extern const sync_tables show_sync;

// Writes one float per track to out[0 ...]; t is in rows. A track none of whose
// keys has been reached keeps what out held.
void sync_evaluate(const sync_tables& tables, sync_scratch& scratch, float t, float* out);

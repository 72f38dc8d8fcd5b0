// Sync tracks: keys stored in five compact tables, evaluated once per frame.
#pragma once
#include <cstdint>

constexpr int sync_track_count = 17;
constexpr int sync_row_slots = 512;
constexpr int sync_key_count = 167;
constexpr uint8_t sync_last_key = 255;

extern const uint8_t sync_rows[sync_row_slots];
extern const uint8_t sync_keys[sync_key_count];
extern const uint8_t sync_modes[sync_key_count];
extern const int16_t sync_values[sync_key_count];
extern const uint8_t sync_scales[sync_track_count];

// Tables the evaluator walks; the show's own by default, swappable for tests.
struct sync_tables {
    const uint8_t* rows; // sync_row_slots entries
    const uint8_t* keys;
    const uint8_t* modes;
    const int16_t* values;
    const uint8_t* scales;
    int key_count;
};
extern sync_tables active_sync;

// Writes one float per track to out[0 ...]; t is in rows. Not re-entrant.
void syncget(float t, float* out);
void syncgetc(float t, float* out);

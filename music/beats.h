// The beat grid of each track: its tempo, the beats in its bar and when each
// beat falls. A grid is kept beside its music file as text (NAME.beats beside
// NAME.mp3) under a key made from the file's bytes, so that a changed file
// is analysed again. Reading and writing that text is pure; the files and
// the analysis are in music/beat_cache.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "shared/state.h"

constexpr int max_beats = 2048; // over eleven minutes at 180 beats a minute

struct beat_grid {
    double tempo;      // beats a minute; 0 where no beat was found
    int beats_per_bar; // the first beat of the grid is the first of a bar
    int beat_count;
    double beat_seconds[max_beats]; // from the track's first sample, rising
};
// Entry e's grid, for its track_table[e].
extern beat_grid beat_table[entry_count];

// The key a music file's grid is kept under (FNV-1a of its bytes, 64 bits).
uint64_t music_file_key(const unsigned char* bytes, size_t size);

// The text of a grid file. `source` says who found the beats ("generator",
// "analysis"), for people reading it.
std::string format_beat_grid(const beat_grid& grid, uint64_t key, const char* source);
// False, leaving an empty grid, when the text is kept under another key or is
// not a whole grid: beats out of order, negative or beyond the table, a tempo
// or a bar that no music has.
bool parse_beat_grid(const std::string& text, uint64_t key, beat_grid& grid);

// Where a moment of a track falls in its grid: the beat it is in (counted from
// the first; before it and after the last the tempo carries the grid on) and
// how far through that beat and its bar it is, each a ramp from 0 to 1.
struct beat_position {
    int beat;
    int beat_in_bar; // 0 ... beats_per_bar - 1
    double beat_phase, bar_phase;
};
// A grid without beats gives beat 0 with both ramps at 0.
beat_position beat_at(const beat_grid& grid, double seconds);

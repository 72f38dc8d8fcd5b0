// The loudness of what the show plays along its rows, read from the decoded
// tracks where the show map says the music is, so keys can be put on beats.
#pragma once

#include "tools/studio/show_map.h"

constexpr double envelope_floor_db = -30; // quieter reads as silence; music sits mostly 10 to 20 dB down

// Per row: the RMS of the row's eighth of a second of its track, from 0
// (silent, or past the track's end) to 1 (full scale), on a decibel scale.
void music_envelope(const show_map& map, float level[mapped_rows]);

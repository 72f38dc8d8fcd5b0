// The loudness of what the show plays along its rows, read from the decoded
// tracks where the show map says the music is, finely enough that beats
// show as bumps once the strip is zoomed in.
#pragma once

#include "tools/studio/show_map.h"

constexpr int envelope_steps = 16; // readings a row: each 1/128 s
constexpr int envelope_count = mapped_rows * envelope_steps;
constexpr float envelope_silence_db = -90; // silence, past a track's end, or no music

// Per step: the RMS of its stretch of its track in dB below full scale, both
// channels together; envelope_silence_db where nothing sounds.
void music_envelope(const show_map& map, float db[envelope_count]);

// How high a reading of `db` stands in a band `height` pixels high whose top
// is `top_db`: on a decibel scale over the 36 dB below it, so a passage half
// as loud (-6 dB) stands a sixth lower.
int envelope_height(float db, float top_db, int height);

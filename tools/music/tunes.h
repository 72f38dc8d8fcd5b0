// The default soundtrack: one short piece per entry, synthesised from a
// table of tempo, key, groove and instruments, with a melody of its own.
#pragma once
#include <vector>

constexpr int tune_count = 37;
constexpr int tune_rate = 44100;

// What sets piece k apart, for the catalogue and the tests.
struct tune_facts {
    int bpm;
    int beats_per_bar;
    const char* key;    // "D", "F#", ...
    const char* mode;   // "major", "dorian", ...
    const char* groove; // drum pattern
    const char* lead;   // melody instrument
    const char* bass;
    const char* chords; // how the harmony is played
};
tune_facts describe_tune(int k);

// When piece k's beats fall, in seconds from its first sample: every beat of
// its whole bars and the downbeat of its final chord. The first starts a bar.
std::vector<double> tune_beat_seconds(int k);

// Piece k as interleaved stereo samples in -1 ... 1 at tune_rate: sound from
// the first sample, at least 30 seconds.
std::vector<float> render_tune(int k);

// Keys, modes and the chords of a bar.
#pragma once

namespace synth {
enum key_id { C, Cs, D, Eb, E, F, Fs, G, Ab, A, Bb, B };
enum mode_id { major, dorian, phrygian, lydian, mixolydian, minor, harmonic_minor };
extern const char* const key_names[12];
extern const char* const mode_names[7];

// Semitones above the tonic of the mode's seven degrees.
extern const int scales[7][7];
constexpr int progression_count = 8;
// The degree of the chord of bar n in progression p: one chord a bar, four bars round.
int progression_degree(int p, int n);

// MIDI note of a scale degree counted from the tonic above middle C; any
// degree, negative ones included.
int scale_note(key_id key, mode_id mode, int degree);

// The harmony of a bar: scale degrees stacked in thirds, with a pure fifth.
struct chord {
    int root; // MIDI note, for the bass between C2 and B2
    int third;
};
chord chord_on(key_id key, mode_id mode, int degree);

// Chord tones spread over one octave from low, in rising order.
void voicing(const chord& c, int low, int notes[3]);

// Nearest degree to d that is a tone of the chord on degree root.
int nearest_chord_tone(int d, int root);
}

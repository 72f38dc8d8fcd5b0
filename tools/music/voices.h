// The instruments: one synthesiser voice each, played note by note.
#pragma once
#include "tools/music/mixer.h"

namespace synth {
enum wave_id { saw, square, pulse25, triangle, sine };

// Two oscillators through a resonant low-pass with its own decay, or a
// two-operator FM pair; then an amplitude envelope and vibrato.
struct voice {
    const char* name;
    enum { subtractive, fm } kind;
    // subtractive
    wave_id wave = sine;
    double detune_cents = 0;        // second oscillator; 0 plays one
    double cutoff = 0, sweep = 0;   // Hz, plus sweep decaying at filter_decay per second
    double filter_decay = 0, resonance = 0;
    // both
    double attack, decay, sustain, release; // seconds, except sustain (a level)
    // fm
    double ratio = 0, index = 0, index_decay = 0; // modulator
    bool drawbars = false;                        // octave and twelfth added, for an organ
    // both
    double vibrato = 0; // semitones
    double gain;
};

enum lead_id { pluck, pulse, supersaw, bell, epiano, organ, flute, chip, marimba, brass };
enum bass_id { sub, acid, square_bass, fm_bass, plucked_bass, round_bass };
extern const voice lead_voices[10];
extern const voice bass_voices[6];
extern const voice pad_voice, stab_voice;

// One note from start for length seconds, then its release; velocity 0 ... 1.
void play(mixer& m, const voice& v, double start, double length, double note, double velocity, const placement& p);
}

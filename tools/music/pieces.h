// The catalogue: what sets each piece apart, and the grooves they are built on.
#pragma once
#include "tools/music/drums.h"
#include "tools/music/harmony.h"
#include "tools/music/voices.h"

namespace synth {
enum groove_id { four_floor, backbeat, breakbeat, half_time, waltz, shuffle, bossa, electro, minimal, march };
enum chords_id { pad, stabs, arpeggio, strum };

struct piece {
    int bpm;
    key_id key;
    mode_id mode;
    groove_id groove;
    lead_id lead;
    bass_id bass;
    chords_id chords;
    int progression;
};
extern const piece pieces[tune_count];

// Drum and bass patterns, one character per sixteenth. Kick and snare: x hit,
// o soft. Hats: x closed, - soft closed, o open. Bass: R root, F fifth, O octave.
struct groove {
    const char* name;
    int steps;
    const char *kick, *snare, *hat, *bass;
    double swing = 0.0; // delay of off-beat eighths, in sixteenths
    snare_id snare_kind;
};
extern const groove grooves[10];
}

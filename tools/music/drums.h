// The drum kit, each drum with a touch of the piece's own character.
#pragma once
#include "tools/music/mixer.h"
#include "tools/music/random.h"

namespace synth {
struct drum_kit {
    double kick_high, kick_low, kick_decay; // Hz at the start and settled, and the fall per second
    double snare_tone, hat_decay, colour;   // colour: how far the closed hat's noise tilts to the top
};
enum snare_id { snare_drum, clap, rim };

drum_kit piece_kit(int k);
void kick(mixer& m, const drum_kit& kit, double start, double velocity);
void snare(mixer& m, rng& r, const drum_kit& kit, snare_id kind, double start, double velocity);
void hat(mixer& m, rng& r, const drum_kit& kit, bool open, double start, double velocity);
void crash(mixer& m, rng& r, double start);
}

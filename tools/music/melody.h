// The lead's melody, made of one-bar motifs: onsets with lengths, and the
// scale steps between successive notes.
#pragma once
#include "tools/music/pieces.h"
#include "tools/music/random.h"

namespace synth {
struct motif {
    int count;
    int onset[16], length[16], move[16]; // onset and length in sixteenths
};

motif make_motif(rng& r, int steps, double busy);
// Varies the second half of a motif, keeping the first half that makes it recognisable.
motif answer(rng& r, const motif& m, int steps);
// Up a step on the downbeat, back down at half-bar: the close of a phrase.
motif cadence(int steps);

// Plays a bar of motif mo over the chord on chord_degree, lifted by lift
// degrees; degree carries the last note from bar to bar.
void sing(mixer& m, rng& r, const piece& pc, const voice& v, const placement& p, int& degree, const motif& mo,
          int chord_degree, double bar_start, double sixteenth, int lift);
}

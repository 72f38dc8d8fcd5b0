#include "tools/music/pieces.h"

namespace synth {
// One row per entry, in track_paths order: bpm, key, mode, groove, lead, bass, chords, progression.
const piece pieces[tune_count] = {
    {116, D, major, backbeat, pluck, round_bass, pad, 0},             // first light
    {128, F, mixolydian, electro, chip, square_bass, arpeggio, 5},    // tin robot
    {98, A, minor, half_time, supersaw, acid, pad, 2},                // night drive
    {84, G, major, bossa, marimba, round_bass, strum, 1},             // paper boats
    {104, E, lydian, minimal, bell, sub, pad, 3},                     // glass garden
    {124, Cs, minor, four_floor, supersaw, acid, stabs, 4},           // neon rain
    {72, Bb, dorian, half_time, flute, sub, pad, 6},                  // slow orbit
    {136, E, mixolydian, backbeat, brass, plucked_bass, stabs, 0},    // copper wire
    {150, C, major, breakbeat, marimba, fm_bass, arpeggio, 7},        // marble run
    {92, D, phrygian, shuffle, pluck, round_bass, strum, 7},          // desert echo
    {140, G, major, electro, chip, square_bass, arpeggio, 1},         // pixel parade
    {88, Fs, minor, minimal, bell, sub, pad, 2},                      // tidal lock
    {76, Eb, dorian, shuffle, epiano, round_bass, pad, 6},            // velvet fog
    {132, A, harmonic_minor, march, pulse, fm_bass, stabs, 1},        // clockwork fox
    {120, B, dorian, breakbeat, supersaw, acid, stabs, 5},            // salt and static
    {96, F, major, waltz, organ, round_bass, strum, 0},               // lantern walk
    {108, Ab, lydian, four_floor, bell, fm_bass, arpeggio, 3},        // quartz bloom
    {100, C, minor, backbeat, organ, plucked_bass, pad, 2},           // subway choir
    {126, D, mixolydian, bossa, flute, round_bass, strum, 5},         // kite string
    {144, G, harmonic_minor, waltz, pluck, round_bass, strum, 1},     // ember waltz
    {118, E, phrygian, electro, pulse, sub, arpeggio, 7},             // frost signal
    {146, Bb, mixolydian, shuffle, brass, plucked_bass, stabs, 0},    // rubber band
    {80, Cs, minor, half_time, bell, sub, pad, 4},                    // hollow moon
    {134, A, major, electro, chip, acid, arpeggio, 1},                // bright circuit
    {110, F, dorian, breakbeat, marimba, round_bass, strum, 7},       // rain on tin
    {122, Eb, major, four_floor, epiano, fm_bass, stabs, 0},          // amber loop
    {102, B, lydian, minimal, supersaw, sub, pad, 3},                 // solar wind
    {156, G, major, march, pulse, square_bass, arpeggio, 0},          // little engine
    {86, D, minor, half_time, epiano, sub, pad, 2},                   // deep current
    {94, Ab, mixolydian, bossa, marimba, plucked_bass, strum, 5},     // honey drum
    {114, E, lydian, waltz, flute, round_bass, pad, 3},               // cloud stair
    {78, C, harmonic_minor, minimal, organ, sub, pad, 1},             // iron lullaby
    {168, Fs, dorian, breakbeat, pulse, acid, stabs, 6},              // spark chase
    {90, Bb, dorian, shuffle, epiano, round_bass, pad, 7},            // violet hour
    {138, D, major, backbeat, brass, fm_bass, stabs, 1},              // tumble dice
    {106, A, minor, four_floor, pluck, sub, arpeggio, 2},             // last light
    {82, G, major, waltz, bell, round_bass, pad, 0},                  // closing bell
};

const groove grooves[10] = {
    {.name = "four on the floor",
     .steps = 16,
     .kick =  "x...x...x...x...",
     .snare = "....x.......x...",
     .hat =   "-.o.-.o.-.o.-.o.",
     .bass =  "..R...R...R.O.R.",
     .snare_kind = clap},
    {.name = "backbeat",
     .steps = 16,
     .kick =  "x.......x.x.....",
     .snare = "....x.......x...",
     .hat =   "x.-.x.-.x.-.x.-.",
     .bass =  "R.....R.R...F...",
     .snare_kind = snare_drum},
    {.name = "breakbeat",
     .steps = 16,
     .kick =  "x.........x..x..",
     .snare = "....x..o.o..x...",
     .hat =   "x-x-x-x-x-xox-x-",
     .bass =  "R.........R..F..",
     .snare_kind = snare_drum},
    {.name = "half time",
     .steps = 16,
     .kick =  "x......x..x.....",
     .snare = "........x.......",
     .hat =   "x-x-x-x-x-x-x-x-",
     .bass =  "R......R..F.....",
     .snare_kind = snare_drum},
    {.name = "waltz",
     .steps = 12,
     .kick =  "x...........",
     .snare = "....o...o...",
     .hat =   "x.-.x.-.x.-.",
     .bass =  "R.......F...",
     .snare_kind = rim},
    {.name = "shuffle",
     .steps = 16,
     .kick =  "x.....x.x.......",
     .snare = "....x.......x...",
     .hat =   "x.x.x.x.x.x.x.x.",
     .bass =  "R.R.F.F.O.O.F.F.",
     .swing = 0.6,
     .snare_kind = snare_drum},
    {.name = "bossa",
     .steps = 16,
     .kick =  "x..xx..xx..xx..x",
     .snare = "x..x..x...x..x..",
     .hat =   "-------x-------x",
     .bass =  "R..F....R..F....",
     .snare_kind = rim},
    {.name = "electro",
     .steps = 16,
     .kick =  "x..x..x...x..x..",
     .snare = "....x.......x...",
     .hat =   "x-x-x-x-x-x-x-x-",
     .bass =  "R..R..R...R..RO.",
     .snare_kind = clap},
    {.name = "minimal",
     .steps = 16,
     .kick =  "x...x...x...x...",
     .snare = ".......o.......x",
     .hat =   ".-.-.-.-.-.-.-.-",
     .bass =  "R..R...R..R.....",
     .snare_kind = rim},
    {.name = "march",
     .steps = 16,
     .kick =  "x.......x.......",
     .snare = "x.oox.o.x.oox.oo",
     .hat =   "................",
     .bass =  "R...F...R...F...",
     .snare_kind = snare_drum},
};
}

tune_facts describe_tune(int k)
{
    using namespace synth;
    static const char* const chords_names[] = {"pad", "stabs", "arpeggio", "strum"};
    const piece& pc = pieces[k];
    const groove& g = grooves[pc.groove];
    return {.bpm = pc.bpm,
            .beats_per_bar = g.steps / 4,
            .key = key_names[pc.key],
            .mode = mode_names[pc.mode],
            .groove = g.name,
            .lead = lead_voices[pc.lead].name,
            .bass = bass_voices[pc.bass].name,
            .chords = chords_names[pc.chords]};
}

#include "tools/music/tunes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {
constexpr double rate = tune_rate;
constexpr double two_pi = 2.0 * M_PI;

enum key_id { C, Cs, D, Eb, E, F, Fs, G, Ab, A, Bb, B };
enum mode_id { major, dorian, phrygian, lydian, mixolydian, minor, harmonic_minor };
enum groove_id { four_floor, backbeat, breakbeat, half_time, waltz, shuffle, bossa, electro, minimal, march };
enum lead_id { pluck, pulse, supersaw, bell, epiano, organ, flute, chip, marimba, brass };
enum bass_id { sub, acid, square_bass, fm_bass, plucked_bass, round_bass };
enum chords_id { pad, stabs, arpeggio, strum };

const char* const key_names[] = {"C", "C#", "D", "Eb", "E", "F", "F#", "G", "Ab", "A", "Bb", "B"};
const char* const mode_names[] = {"major", "dorian", "phrygian", "lydian", "mixolydian", "minor", "harmonic minor"};
const char* const lead_names[] = {"pluck", "pulse", "supersaw", "bell", "electric piano",
                                  "organ", "flute", "chip", "marimba", "brass"};
const char* const bass_names[] = {"sub", "acid", "square", "fm", "plucked", "round"};
const char* const chords_names[] = {"pad", "stabs", "arpeggio", "strum"};

constexpr int scales[7][7] = {
    {0, 2, 4, 5, 7, 9, 11}, {0, 2, 3, 5, 7, 9, 10}, {0, 1, 3, 5, 7, 8, 10}, {0, 2, 4, 6, 7, 9, 11},
    {0, 2, 4, 5, 7, 9, 10}, {0, 2, 3, 5, 7, 8, 10}, {0, 2, 3, 5, 7, 8, 11},
};

// Chord roots as scale degrees, one chord a bar, chosen per mode to avoid diminished triads.
constexpr int progressions[8][4] = {
    {0, 4, 5, 3}, {0, 5, 3, 4}, {0, 5, 2, 6}, {0, 1, 4, 0}, {0, 6, 5, 4}, {0, 0, 6, 3}, {0, 3, 1, 4}, {0, 2, 3, 1},
};

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

// One row per entry, in track_paths order.
constexpr piece pieces[tune_count] = {
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

// Drum and bass patterns, one character per sixteenth. Kick and snare: x hit,
// o soft. Hats: x closed, - soft closed, o open. Bass: R root, F fifth, O octave.
struct groove {
    const char* name;
    int steps;
    const char *kick, *snare, *hat, *bass;
    double swing; // delay of off-beat eighths, in sixteenths
    enum { snare_drum, clap, rim } snare_kind;
};

constexpr groove grooves[] = {
    {"four on the floor", 16, "x...x...x...x...", "....x.......x...", "-.o.-.o.-.o.-.o.", "..R...R...R.O.R.", 0.0,
     groove::clap},
    {"backbeat", 16, "x.......x.x.....", "....x.......x...", "x.-.x.-.x.-.x.-.", "R.....R.R...F...", 0.0,
     groove::snare_drum},
    {"breakbeat", 16, "x.........x..x..", "....x..o.o..x...", "x-x-x-x-x-xox-x-", "R.........R..F..", 0.0,
     groove::snare_drum},
    {"half time", 16, "x......x..x.....", "........x.......", "x-x-x-x-x-x-x-x-", "R......R..F.....", 0.0,
     groove::snare_drum},
    {"waltz", 12, "x...........", "....o...o...", "x.-.x.-.x.-.", "R.......F...", 0.0, groove::rim},
    {"shuffle", 16, "x.....x.x.......", "....x.......x...", "x.x.x.x.x.x.x.x.", "R.R.F.F.O.O.F.F.", 0.6,
     groove::snare_drum},
    {"bossa", 16, "x..xx..xx..xx..x", "x..x..x...x..x..", "-------x-------x", "R..F....R..F....", 0.0, groove::rim},
    {"electro", 16, "x..x..x...x..x..", "....x.......x...", "x-x-x-x-x-x-x-x-", "R..R..R...R..RO.", 0.0,
     groove::clap},
    {"minimal", 16, "x...x...x...x...", ".......o.......x", ".-.-.-.-.-.-.-.-", "R..R...R..R.....", 0.0, groove::rim},
    {"march", 16, "x.......x.......", "x.oox.o.x.oox.oo", "................", "R...F...R...F...", 0.0,
     groove::snare_drum},
};

struct rng {
    uint32_t s;
    uint32_t next()
    {
        s ^= s << 13, s ^= s >> 17, s ^= s << 5;
        return s;
    }
    double unit() { return next() / 4294967296.0; }
    double noise() { return 2.0 * unit() - 1.0; }
    int below(int n) { return int(next() % uint32_t(n)); }
};

// Three buses: dry, a ping-pong echo and a reverb send, each interleaved stereo.
struct mixer {
    size_t frames;
    std::vector<float> dry, echo, verb;
};

struct placement {
    float left, right, echo, verb;
};

placement place(double pan, double echo = 0.0, double verb = 0.0)
{
    const double a = (pan + 1.0) * M_PI / 4.0;
    return {float(std::cos(a)), float(std::sin(a)), float(echo), float(verb)};
}

void put(mixer& m, size_t i, double v, const placement& p)
{
    if (i >= m.frames)
        return;
    const float l = float(v) * p.left, r = float(v) * p.right;
    m.dry[2 * i] += l, m.dry[2 * i + 1] += r;
    m.echo[2 * i] += l * p.echo, m.echo[2 * i + 1] += r * p.echo;
    m.verb[2 * i] += l * p.verb, m.verb[2 * i + 1] += r * p.verb;
}

double wrap(double phase) { return phase >= 1.0 ? phase - 1.0 : phase; }

double midi_hz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

// Band-limited steps for the saw and pulse waves.
double blep(double t, double dt)
{
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

enum wave_id { saw, square, pulse25, triangle, sine };

double oscillator(wave_id w, double t, double dt)
{
    switch (w) {
    case saw:
        return 2.0 * t - 1.0 - blep(t, dt);
    case square:
    case pulse25: {
        const double width = w == square ? 0.5 : 0.25;
        return (t < width ? 1.0 : -1.0) + blep(t, dt) - blep(std::fmod(t + 1.0 - width, 1.0), dt);
    }
    case triangle:
        return t < 0.5 ? 4.0 * t - 1.0 : 3.0 - 4.0 * t;
    case sine:
        break;
    }
    return std::sin(two_pi * t);
}

// One synthesiser voice: two oscillators or a two-operator FM pair, a
// resonant low-pass with its own decay, an amplitude envelope and vibrato.
struct voice {
    enum { subtractive, fm } kind;
    wave_id wave;
    double detune_cents;    // second oscillator
    double cutoff, sweep;   // Hz, plus sweep decaying at filter_decay per second
    double filter_decay, resonance;
    double attack, decay, sustain, release; // seconds, except sustain (a level)
    double ratio, index, index_decay;       // FM modulator
    double vibrato;                         // semitones
    double gain;
    bool drawbars = false; // octave and twelfth added, for an organ
};

constexpr voice lead_voices[] = {
    /* pluck */ {voice::subtractive, saw, 7, 400, 5000, 9, 0.3, 0.002, 0.35, 0.0, 0.12, 0, 0, 0, 0, 0.5},
    /* pulse */ {voice::subtractive, pulse25, 0, 2200, 1500, 6, 0.2, 0.004, 0.3, 0.6, 0.08, 0, 0, 0, 0.12, 0.35},
    /* supersaw */ {voice::subtractive, saw, 14, 1600, 2500, 4, 0.25, 0.006, 0.4, 0.7, 0.2, 0, 0, 0, 0.08, 0.35},
    /* bell */ {voice::fm, sine, 0, 0, 0, 0, 0, 0.002, 1.2, 0.0, 0.4, 3.5, 2.5, 1.6, 0, 0.55},
    /* epiano */ {voice::fm, sine, 0, 0, 0, 0, 0, 0.003, 1.0, 0.15, 0.15, 1.0, 1.8, 5.0, 0, 0.6},
    /* organ */ {voice::fm, sine, 0, 0, 0, 0, 0, 0.008, 0.3, 0.85, 0.05, 2.0, 0.6, 0.0, 0.04, 0.4, true},
    /* flute */ {voice::subtractive, triangle, 3, 3000, 800, 3, 0.1, 0.04, 0.3, 0.85, 0.12, 0, 0, 0, 0.18, 0.6},
    /* chip */ {voice::subtractive, square, 0, 9000, 0, 1, 0.0, 0.001, 0.2, 0.75, 0.02, 0, 0, 0, 0.1, 0.25},
    /* marimba */ {voice::fm, sine, 0, 0, 0, 0, 0, 0.001, 0.35, 0.0, 0.1, 4.0, 2.2, 22.0, 0, 0.7},
    /* brass */ {voice::subtractive, saw, 5, 500, 2600, 3, 0.15, 0.03, 0.5, 0.75, 0.1, 0, 0, 0, 0.1, 0.35},
};

constexpr voice bass_voices[] = {
    /* sub */ {voice::fm, sine, 0, 0, 0, 0, 0, 0.004, 0.6, 0.7, 0.06, 2.0, 0.25, 2.0, 0, 0.9},
    /* acid */ {voice::subtractive, saw, 0, 220, 2400, 11, 0.75, 0.002, 0.3, 0.7, 0.05, 0, 0, 0, 0, 0.45},
    /* square */ {voice::subtractive, square, 0, 700, 900, 8, 0.2, 0.002, 0.3, 0.6, 0.05, 0, 0, 0, 0, 0.4},
    /* fm */ {voice::fm, sine, 0, 0, 0, 0, 0, 0.002, 0.4, 0.5, 0.06, 1.0, 2.5, 8.0, 0, 0.8},
    /* plucked */ {voice::subtractive, saw, 0, 160, 1400, 10, 0.3, 0.002, 0.35, 0.25, 0.06, 0, 0, 0, 0, 0.7},
    /* round */ {voice::subtractive, triangle, 0, 1200, 300, 5, 0.1, 0.003, 0.5, 0.7, 0.06, 0, 0, 0, 0, 0.9},
};

constexpr voice pad_voice = {voice::subtractive, saw, 9, 900, 300, 1, 0.1, 0.03, 1.0, 0.8, 0.35, 0, 0, 0, 0, 0.16};
constexpr voice stab_voice = {voice::fm, sine, 0, 0, 0, 0, 0, 0.002, 0.15, 0.2, 0.06, 1.0, 1.5, 10.0, 0, 0.3};

void play(mixer& m, const voice& v, double start, double length, double note, double velocity, const placement& p)
{
    const double hz = midi_hz(note);
    const double dt = hz / rate;
    const double detune = std::pow(2.0, v.detune_cents / 1200.0);
    const size_t first = size_t(start * rate);
    const size_t held = size_t(length * rate), total = held + size_t(v.release * rate);
    const size_t attack = std::max<size_t>(1, size_t(v.attack * rate));
    const double decay_step = std::exp(-1.0 / (v.decay * rate));
    const double filter_step = std::exp(-16.0 * v.filter_decay / rate);
    const double index_step = std::exp(-v.index_decay / rate);
    const double damping = 2.0 - 1.7 * v.resonance;
    double phase = 0.0, phase2 = 0.37, mod_phase = 0.0;
    double fall = 1.0, sweep = 1.0, index = v.index, level = 0.0, release_from = 0.0;
    double state1 = 0.0, state2 = 0.0, a1 = 0.0, a2 = 0.0, a3 = 0.0; // low-pass filter
    for (size_t i = 0; i < total; ++i) {
        const double t = double(i) / rate;
        if (i < attack)
            level = double(i) / attack;
        else if (i < held)
            level = v.sustain + (1.0 - v.sustain) * (fall *= decay_step);
        else {
            if (i == held)
                release_from = level;
            level = release_from * (1.0 - double(i - held) / (total - held));
        }
        // Vibrato sets in after the attack; a few cents are a linear change in pitch.
        const double wobble = t > 0.2 ? v.vibrato / 12.0 * M_LN2 * std::sin(two_pi * 5.2 * t) : 0.0;
        const double step = dt * (1.0 + wobble);
        double s;
        if (v.kind == voice::fm) {
            const double modulator = std::sin(two_pi * mod_phase);
            s = std::sin(two_pi * phase + index * modulator);
            if (v.drawbars)
                s = 0.6 * s + 0.3 * std::sin(two_pi * 2.0 * phase) + 0.2 * std::sin(two_pi * 3.0 * phase);
            mod_phase = wrap(mod_phase + step * v.ratio);
            index *= index_step;
        } else {
            s = oscillator(v.wave, phase, step);
            if (v.detune_cents != 0.0) {
                s = 0.5 * (s + oscillator(v.wave, phase2, step * detune));
                phase2 = wrap(phase2 + step * detune);
            }
            // A state-variable filter in trapezoidal form: stable at any cutoff and
            // resonance. The cutoff glides slowly enough to be updated every 16 samples.
            if (i % 16 == 0) {
                const double g = std::tan(M_PI * std::min(v.cutoff + v.sweep * sweep, 16000.0) / rate);
                a1 = 1.0 / (1.0 + g * (g + damping)), a2 = g * a1, a3 = g * a2;
                sweep *= filter_step;
            }
            const double v3 = s - state2, v1 = a1 * state1 + a2 * v3, v2 = state2 + a2 * state1 + a3 * v3;
            state1 = 2.0 * v1 - state1, state2 = 2.0 * v2 - state2;
            s = v2;
        }
        phase = wrap(phase + step);
        put(m, first + i, s * level * velocity * v.gain, p);
    }
}

// Drums, each with a touch of the piece's own character (tone and decay).
struct drum_kit {
    double kick_high, kick_low, kick_decay, snare_tone, hat_decay, colour;
};

void kick(mixer& m, const drum_kit& kit, double start, double velocity)
{
    const size_t first = size_t(start * rate), length = size_t(0.45 * rate);
    double phase = 0.0;
    const placement p = place(0.0);
    for (size_t i = 0; i < length; ++i) {
        const double t = double(i) / rate;
        const double hz = kit.kick_low + (kit.kick_high - kit.kick_low) * std::exp(-t * 35.0);
        phase += hz / rate;
        const double click = i < 60 ? (1.0 - i / 60.0) * 0.3 : 0.0;
        put(m, first + i, velocity * (std::sin(two_pi * phase) * std::exp(-t * kit.kick_decay) + click) * 0.9, p);
    }
}

void snare(mixer& m, rng& r, const drum_kit& kit, int kind, double start, double velocity)
{
    const size_t first = size_t(start * rate);
    const placement p = place(0.1, 0.0, 0.25);
    double previous = 0.0, phase = 0.0;
    const size_t length = size_t((kind == groove::rim ? 0.06 : 0.3) * rate);
    for (size_t i = 0; i < length; ++i) {
        const double t = double(i) / rate;
        const double white = r.noise();
        const double bright = white - previous; // a first difference tilts the noise upward
        previous = white;
        double v;
        if (kind == groove::rim) {
            phase += 1700.0 / rate;
            v = (std::sin(two_pi * phase) + 0.6 * std::sin(two_pi * phase * 0.47)) * std::exp(-t * 90.0) * 0.5;
        } else if (kind == groove::clap) {
            const double burst = std::fmod(t, 0.011) < 0.004 && t < 0.033 ? 1.0 : 0.0;
            v = bright * (burst * 0.5 + std::exp(-t * 18.0) * 0.35);
        } else {
            phase += kit.snare_tone / rate;
            v = std::sin(two_pi * phase) * std::exp(-t * 25.0) * 0.5 + bright * std::exp(-t * 16.0) * 0.35;
        }
        put(m, first + i, v * velocity, p);
    }
}

void hat(mixer& m, rng& r, const drum_kit& kit, bool open, double start, double velocity)
{
    const size_t first = size_t(start * rate), length = size_t((open ? 0.35 : 0.08) * rate);
    const placement p = place(0.35);
    const double decay = open ? 9.0 : kit.hat_decay;
    double previous = 0.0;
    for (size_t i = 0; i < length; ++i) {
        const double white = r.noise();
        put(m, first + i, (white - previous * kit.colour) * std::exp(-double(i) / rate * decay) * 0.13 * velocity, p);
        previous = white;
    }
}

void crash(mixer& m, rng& r, double start)
{
    const size_t first = size_t(start * rate), length = size_t(1.6 * rate);
    const placement p = place(-0.3, 0.0, 0.3);
    double previous = 0.0;
    for (size_t i = 0; i < length; ++i) {
        const double white = r.noise();
        put(m, first + i, (white - previous) * std::exp(-double(i) / rate * 2.6) * 0.08, p);
        previous = white;
    }
}

// The harmony of a bar: scale degrees stacked in thirds, with a pure fifth.
struct chord {
    int root; // MIDI note
    int third;
};

chord chord_on(const piece& pc, int degree)
{
    const int* scale = scales[pc.mode];
    const int root = scale[degree % 7];
    const int third = (scale[(degree + 2) % 7] - root + 12) % 12;
    const int note = 36 + pc.key + root;
    return {note > 47 ? note - 12 : note, third}; // the bass stays below B2
}

// Chord tones spread over one octave from low, closest position first.
void voicing(const chord& c, int low, int notes[3])
{
    const int tones[3] = {c.root, c.root + c.third, c.root + 7};
    for (int i = 0; i < 3; ++i) {
        notes[i] = tones[i];
        while (notes[i] < low)
            notes[i] += 12;
        while (notes[i] >= low + 12)
            notes[i] -= 12;
    }
    std::sort(notes, notes + 3);
}

// A melody is made of one-bar motifs: onsets with lengths, and the scale
// steps between successive notes.
struct motif {
    int count;
    int onset[16], length[16], move[16];
};

motif make_motif(rng& r, int steps, double busy)
{
    motif m{};
    int onsets[16], n = 0;
    for (int s = 0; s < steps; ++s) {
        const double chance = s == 0 ? 1.0 : s % 4 == 0 ? 0.6 : s % 2 == 0 ? 0.45 * busy : 0.18 * busy;
        if (r.unit() < chance)
            onsets[n++] = s;
    }
    if (n < 3) // at least a little phrase: the downbeat, and two more on beats
        n = 0, onsets[n++] = 0, onsets[n++] = steps / 2 - 2, onsets[n++] = steps / 2;
    m.count = n;
    for (int i = 0; i < n; ++i) {
        m.onset[i] = onsets[i];
        const int room = (i + 1 < n ? onsets[i + 1] : steps) - onsets[i];
        m.length[i] = std::max(1, r.unit() < 0.25 && room > 1 ? room - 1 : room);
        static constexpr int moves[] = {-2, -1, -1, 1, 1, 2, 0, 3, -3, 1};
        m.move[i] = moves[r.below(10)];
    }
    return m;
}

// Varies the second half of a motif, keeping the first half that makes it recognisable.
motif answer(rng& r, const motif& m, int steps)
{
    motif v = m;
    for (int i = 0; i < v.count; ++i)
        if (v.onset[i] >= steps / 2)
            v.move[i] = -v.move[i] + (r.unit() < 0.3 ? 1 : 0);
    return v;
}

// Nearest degree to d that is a tone of the chord on degree root.
int nearest_chord_tone(int d, int root)
{
    for (int distance = 0;; ++distance)
        for (int candidate : {d - distance, d + distance})
            if (((candidate - root) % 7 + 7) % 7 % 2 == 0 && ((candidate - root) % 7 + 7) % 7 != 6)
                return candidate;
}

struct melody_state {
    int degree; // scale degree of the last note, 0 = tonic above middle C region
};

void sing(mixer& m, const piece& pc, const voice& v, const placement& p, melody_state& st, const motif& mo,
          int chord_degree, double bar_start, double sixteenth, int low, int high, rng& r, int lift)
{
    const int* scale = scales[pc.mode];
    for (int i = 0; i < mo.count; ++i) {
        int d = st.degree + mo.move[i];
        if (mo.onset[i] % 4 == 0)
            d = nearest_chord_tone(d, chord_degree);
        while (d + lift > high)
            d -= 7;
        while (d + lift < low)
            d += 7;
        st.degree = d;
        const int sung = d + lift;
        const int octave = sung >= 0 ? sung / 7 : (sung - 6) / 7;
        const int note = 60 + pc.key + 12 * octave + scale[sung - 7 * octave];
        const double velocity = (mo.onset[i] % 4 == 0 ? 1.0 : 0.82) * (0.9 + 0.1 * r.unit());
        play(m, v, bar_start + mo.onset[i] * sixteenth, mo.length[i] * sixteenth * 0.92, note, velocity, p);
    }
}

// Echo taps alternate sides; the reverb is a small bank of combs and all-passes.
void add_echo(mixer& m, double delay_seconds)
{
    const size_t delay = size_t(delay_seconds * rate);
    for (size_t i = delay; i < m.frames; ++i) {
        m.echo[2 * i] += 0.4f * m.echo[2 * (i - delay) + 1];
        m.echo[2 * i + 1] += 0.4f * m.echo[2 * (i - delay)];
    }
    for (size_t i = delay; i < m.frames; ++i)
        for (int c = 0; c < 2; ++c) {
            m.dry[2 * i + c] += 0.45f * m.echo[2 * (i - delay) + c];
            m.verb[2 * i + c] += 0.2f * m.echo[2 * (i - delay) + c];
        }
}

void add_reverb(mixer& m, double amount)
{
    static constexpr int combs[4] = {1557, 1617, 1491, 1422}, passes[2] = {225, 556};
    for (int c = 0; c < 2; ++c) {
        std::vector<float> wet(m.frames, 0.0f);
        for (int k = 0; k < 4; ++k) {
            const size_t d = combs[k] + 23 * c;
            std::vector<float> line(d, 0.0f);
            float smooth = 0.0f;
            for (size_t i = 0; i < m.frames; ++i) {
                const float out = line[i % d];
                smooth = out * 0.7f + smooth * 0.3f;
                line[i % d] = m.verb[2 * i + c] + smooth * 0.82f;
                wet[i] += out * 0.25f;
            }
        }
        for (int k = 0; k < 2; ++k) {
            const size_t d = passes[k] + 11 * c;
            std::vector<float> line(d, 0.0f);
            for (size_t i = 0; i < m.frames; ++i) {
                const float delayed = line[i % d], in = wet[i];
                line[i % d] = in + delayed * 0.5f;
                wet[i] = delayed - in * 0.5f;
            }
        }
        for (size_t i = 0; i < m.frames; ++i)
            m.dry[2 * i + c] += float(amount) * wet[i];
    }
}
}

tune_facts describe_tune(int k)
{
    const piece& pc = pieces[k];
    return {pc.bpm, grooves[pc.groove].steps / 4, key_names[pc.key], mode_names[pc.mode], grooves[pc.groove].name,
            lead_names[pc.lead], bass_names[pc.bass], chords_names[pc.chords]};
}

std::vector<float> render_tune(int k)
{
    const piece& pc = pieces[k];
    const groove& g = grooves[pc.groove];
    const double sixteenth = 15.0 / pc.bpm;
    const double bar = g.steps * sixteenth;
    // Some 28 s of music in whole bars, then a final chord that rings out.
    const int bars = int(std::ceil(28.0 / bar));
    const double end = bars * bar;
    const size_t frames = size_t((end + 2.5) * rate);
    mixer master{frames, std::vector<float>(2 * frames, 0.0f), {}, {}};
    master.echo = master.verb = master.dry;
    mixer part = master;

    const drum_kit kit{110.0 + 12.0 * (k % 6), 42.0 + 2.0 * (k % 7), 7.0 + (k % 5), 170.0 + 9.0 * (k % 8),
                       40.0 + 6.0 * (k % 6), 0.5 + 0.08 * (k % 6)};
    const voice& lead = lead_voices[pc.lead];
    const voice& bass = bass_voices[pc.bass];
    const placement lead_place = place(k % 2 ? 0.15 : -0.15, 0.3 + 0.04 * (k % 4), 0.25);
    const placement bass_place = place(0.0, 0.0, 0.03);
    const placement chord_place = place(k % 2 ? -0.3 : 0.3, 0.1, 0.35);
    auto step_time = [&](double bar_start, int s) {
        return bar_start + s * sixteenth + (s % 4 == 2 ? g.swing * sixteenth : 0.0);
    };
    auto chord_of_bar = [&](int n) { return n < bars ? progressions[pc.progression][n % 4] : 0; };
    const chord home = chord_on(pc, 0);
    int home_notes[3];
    voicing(home, 55, home_notes);

    // Each part is rendered on its own and brought to its level in the mix, so
    // that every instrument choice gives the same balance.
    enum { drums, bass_line, harmony, melody };
    for (int layer : {drums, bass_line, harmony, melody}) {
        rng r{uint32_t(2654435761u * (k + 1) + 40503u * layer)};
        for (auto* bus : {&part.dry, &part.echo, &part.verb})
            std::fill(bus->begin(), bus->end(), 0.0f);
        const double busy = pc.bpm > 135 ? 0.35 : pc.bpm < 90 ? 1.0 : 0.7;
        const motif a = make_motif(r, g.steps, busy), b = make_motif(r, g.steps, busy);
        const motif a2 = answer(r, a, g.steps), b2 = answer(r, b, g.steps);
        motif cadence{};
        cadence.count = 2, cadence.onset[1] = g.steps / 2, cadence.length[0] = cadence.length[1] = g.steps / 2;
        cadence.move[0] = 1, cadence.move[1] = -1;
        melody_state st{2};

        for (int n = 0; n < bars; ++n) {
            const double t0 = n * bar;
            const int degree = chord_of_bar(n);
            const chord c = chord_on(pc, degree);
            const bool last_of_phrase = n % 4 == 3;
            int notes[3];
            voicing(c, 55, notes);
            switch (layer) {
            case drums:
                if (n % 8 == 0)
                    crash(part, r, t0);
                for (int s = 0; s < g.steps; ++s) {
                    const double t = step_time(t0, s), human = 0.9 + 0.1 * r.unit();
                    if (g.kick[s] != '.')
                        kick(part, kit, t, (g.kick[s] == 'x' ? 1.0 : 0.6) * human);
                    char sn = g.snare[s];
                    if (last_of_phrase && pc.groove != minimal && s >= g.steps - 3)
                        sn = s == g.steps - 1 ? 'x' : 'o'; // a short fill into the next phrase
                    if (sn != '.')
                        snare(part, r, kit, g.snare_kind, t, (sn == 'x' ? 1.0 : 0.45) * human);
                    if (g.hat[s] != '.')
                        hat(part, r, kit, g.hat[s] == 'o', t, (g.hat[s] == '-' ? 0.55 : 1.0) * human);
                }
                break;
            case bass_line:
                for (int s = 0; s < g.steps; ++s)
                    if (g.bass[s] != '.') {
                        int next = s + 1;
                        while (next < g.steps && g.bass[next] == '.')
                            ++next;
                        const int note = c.root + (g.bass[s] == 'F' ? 7 : g.bass[s] == 'O' ? 12 : 0);
                        play(part, bass, step_time(t0, s), std::min(next - s, 4) * sixteenth * 0.9, note,
                             0.9 + 0.1 * r.unit(), bass_place);
                    }
                break;
            case harmony:
                switch (pc.chords) {
                case pad:
                    for (int note : notes)
                        play(part, pad_voice, t0, bar, note, 1.0, chord_place);
                    break;
                case stabs:
                    for (int s = 2; s < g.steps; s += 4)
                        for (int note : notes)
                            play(part, stab_voice, step_time(t0, s), 1.5 * sixteenth, note, 0.8, chord_place);
                    break;
                case arpeggio: {
                    static constexpr int order[] = {0, 1, 2, 3, 2, 1};
                    const int every = pc.bpm > 135 ? 2 : 1;
                    for (int s = 0, i = 0; s < g.steps; s += every, ++i) {
                        const int o = order[i % 6];
                        play(part, lead_voices[pluck], step_time(t0, s), every * sixteenth * 0.8,
                             (o == 3 ? notes[0] + 12 : notes[o]) + 12, 0.8, chord_place);
                    }
                    break;
                }
                case strum: {
                    const int every = g.steps == 12 ? 4 : 8;
                    for (int s = 0; s < g.steps; s += every)
                        for (int i = 0; i < 3; ++i)
                            play(part, lead_voices[pluck], step_time(t0, s) + 0.012 * i, every * sixteenth, notes[i],
                                 0.8, chord_place);
                    break;
                }
                }
                break;
            case melody: {
                const bool b_phrase = (n / 4) % 3 == 2; // A A B, over and over
                const motif& mo = last_of_phrase ? cadence : b_phrase ? (n % 4 == 2 ? b2 : b) : (n % 4 == 2 ? a2 : a);
                sing(part, pc, lead, lead_place, st, mo, degree, t0, sixteenth, -2, 11, r, b_phrase ? 2 : 0);
                break;
            }
            }
        }
        // The ending: kick and crash, the tonic in the bass, the home chord and the melody's tonic.
        switch (layer) {
        case drums:
            kick(part, kit, end, 1.0);
            crash(part, r, end);
            break;
        case bass_line:
            play(part, bass, end, 1.2, home.root, 0.9, bass_place);
            break;
        case harmony:
            for (int note : home_notes)
                play(part, lead_voices[pluck], end, 1.5, note, 0.8, chord_place);
            break;
        case melody:
            play(part, lead, end, 1.2, 60 + pc.key + 12, 0.9, lead_place);
            break;
        }

        static constexpr double levels[] = {0.11, 0.15, 0.07, 0.19}; // RMS of drums, bass, harmony, melody
        double power = 0.0;
        for (float v : part.dry)
            power += double(v) * v;
        const float gain = float(levels[layer] / std::sqrt(std::max(power / part.dry.size(), 1e-12)));
        for (size_t i = 0; i < 2 * frames; ++i) {
            master.dry[i] += gain * part.dry[i];
            master.echo[i] += gain * part.echo[i];
            master.verb[i] += gain * part.verb[i];
        }
    }

    add_echo(master, 3 * sixteenth);
    add_reverb(master, 0.3);

    // Even loudness across pieces, with a soft limit instead of clipping.
    double power = 0.0;
    for (float v : master.dry)
        power += double(v) * v;
    const double gain = 0.17 / std::sqrt(std::max(power / master.dry.size(), 1e-12));
    for (float& v : master.dry)
        v = float(std::tanh(v * gain));
    return master.dry;
}

#include "tools/music/voices.h"

#include <algorithm>
#include <cmath>

namespace synth {
const voice lead_voices[10] = {
    {.name = "pluck", .kind = voice::subtractive, .wave = saw, .detune_cents = 7, .cutoff = 400, .sweep = 5000,
     .filter_decay = 9, .resonance = 0.3, .attack = 0.002, .decay = 0.35, .sustain = 0.0, .release = 0.12, .gain = 0.5},
    {.name = "pulse", .kind = voice::subtractive, .wave = pulse25, .cutoff = 2200, .sweep = 1500, .filter_decay = 6,
     .resonance = 0.2, .attack = 0.004, .decay = 0.3, .sustain = 0.6, .release = 0.08, .vibrato = 0.12, .gain = 0.35},
    {.name = "supersaw", .kind = voice::subtractive, .wave = saw, .detune_cents = 14, .cutoff = 1600, .sweep = 2500,
     .filter_decay = 4, .resonance = 0.25, .attack = 0.006, .decay = 0.4, .sustain = 0.7, .release = 0.2,
     .vibrato = 0.08, .gain = 0.35},
    {.name = "bell", .kind = voice::fm, .attack = 0.002, .decay = 1.2, .sustain = 0.0, .release = 0.4, .ratio = 3.5,
     .index = 2.5, .index_decay = 1.6, .gain = 0.55},
    {.name = "electric piano", .kind = voice::fm, .attack = 0.003, .decay = 1.0, .sustain = 0.15, .release = 0.15,
     .ratio = 1.0, .index = 1.8, .index_decay = 5.0, .gain = 0.6},
    {.name = "organ", .kind = voice::fm, .attack = 0.008, .decay = 0.3, .sustain = 0.85, .release = 0.05, .ratio = 2.0,
     .index = 0.6, .index_decay = 0.0, .drawbars = true, .vibrato = 0.04, .gain = 0.4},
    {.name = "flute", .kind = voice::subtractive, .wave = triangle, .detune_cents = 3, .cutoff = 3000, .sweep = 800,
     .filter_decay = 3, .resonance = 0.1, .attack = 0.04, .decay = 0.3, .sustain = 0.85, .release = 0.12,
     .vibrato = 0.18, .gain = 0.6},
    {.name = "chip", .kind = voice::subtractive, .wave = square, .cutoff = 9000, .sweep = 0, .filter_decay = 1,
     .resonance = 0.0, .attack = 0.001, .decay = 0.2, .sustain = 0.75, .release = 0.02, .vibrato = 0.1, .gain = 0.25},
    {.name = "marimba", .kind = voice::fm, .attack = 0.001, .decay = 0.35, .sustain = 0.0, .release = 0.1, .ratio = 4.0,
     .index = 2.2, .index_decay = 22.0, .gain = 0.7},
    {.name = "brass", .kind = voice::subtractive, .wave = saw, .detune_cents = 5, .cutoff = 500, .sweep = 2600,
     .filter_decay = 3, .resonance = 0.15, .attack = 0.03, .decay = 0.5, .sustain = 0.75, .release = 0.1,
     .vibrato = 0.1, .gain = 0.35},
};

const voice bass_voices[6] = {
    {.name = "sub", .kind = voice::fm, .attack = 0.004, .decay = 0.6, .sustain = 0.7, .release = 0.06, .ratio = 2.0,
     .index = 0.25, .index_decay = 2.0, .gain = 0.9},
    {.name = "acid", .kind = voice::subtractive, .wave = saw, .cutoff = 220, .sweep = 2400, .filter_decay = 11,
     .resonance = 0.75, .attack = 0.002, .decay = 0.3, .sustain = 0.7, .release = 0.05, .gain = 0.45},
    {.name = "square", .kind = voice::subtractive, .wave = square, .cutoff = 700, .sweep = 900, .filter_decay = 8,
     .resonance = 0.2, .attack = 0.002, .decay = 0.3, .sustain = 0.6, .release = 0.05, .gain = 0.4},
    {.name = "fm", .kind = voice::fm, .attack = 0.002, .decay = 0.4, .sustain = 0.5, .release = 0.06, .ratio = 1.0,
     .index = 2.5, .index_decay = 8.0, .gain = 0.8},
    {.name = "plucked", .kind = voice::subtractive, .wave = saw, .cutoff = 160, .sweep = 1400, .filter_decay = 10,
     .resonance = 0.3, .attack = 0.002, .decay = 0.35, .sustain = 0.25, .release = 0.06, .gain = 0.7},
    {.name = "round", .kind = voice::subtractive, .wave = triangle, .cutoff = 1200, .sweep = 300, .filter_decay = 5,
     .resonance = 0.1, .attack = 0.003, .decay = 0.5, .sustain = 0.7, .release = 0.06, .gain = 0.9},
};

const voice pad_voice = {.name = "pad", .kind = voice::subtractive, .wave = saw, .detune_cents = 9, .cutoff = 900,
                         .sweep = 300, .filter_decay = 1, .resonance = 0.1, .attack = 0.03, .decay = 1.0,
                         .sustain = 0.8, .release = 0.35, .gain = 0.16};
const voice stab_voice = {.name = "stab", .kind = voice::fm, .attack = 0.002, .decay = 0.15, .sustain = 0.2,
                          .release = 0.06, .ratio = 1.0, .index = 1.5, .index_decay = 10.0, .gain = 0.3};

namespace {
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
}

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
}

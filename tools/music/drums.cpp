#include "tools/music/drums.h"

#include <cmath>

namespace synth {
drum_kit piece_kit(int k)
{
    return {.kick_high = 110.0 + 12.0 * (k % 6),
            .kick_low = 42.0 + 2.0 * (k % 7),
            .kick_decay = 7.0 + (k % 5),
            .snare_tone = 170.0 + 9.0 * (k % 8),
            .hat_decay = 40.0 + 6.0 * (k % 6),
            .colour = 0.5 + 0.08 * (k % 6)};
}

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

void snare(mixer& m, rng& r, const drum_kit& kit, snare_id kind, double start, double velocity)
{
    const size_t first = size_t(start * rate);
    const placement p = place(0.1, 0.0, 0.25);
    double previous = 0.0, phase = 0.0;
    const size_t length = size_t((kind == rim ? 0.06 : 0.3) * rate);
    for (size_t i = 0; i < length; ++i) {
        const double t = double(i) / rate;
        const double white = r.noise();
        const double bright = white - previous; // a first difference tilts the noise upward
        previous = white;
        double v;
        if (kind == rim) {
            phase += 1700.0 / rate;
            v = (std::sin(two_pi * phase) + 0.6 * std::sin(two_pi * phase * 0.47)) * std::exp(-t * 90.0) * 0.5;
        } else if (kind == clap) {
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
}

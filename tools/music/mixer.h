// The buses every part of a piece is played into, and where a sound sits in
// the stereo field and the effect sends.
#pragma once
#include <cmath>
#include <cstddef>
#include <vector>

#include "tools/music/tunes.h"

namespace synth {
constexpr double rate = tune_rate;
constexpr double two_pi = 2.0 * M_PI;

// Three buses: dry, a ping-pong echo and a reverb send, each interleaved stereo.
struct mixer {
    size_t frames;
    std::vector<float> dry, echo, verb;
};

struct placement {
    float left, right, echo, verb;
};

mixer silent_mixer(size_t frames);
// pan from -1 (left) to 1, with equal power; echo and verb are the send levels.
placement place(double pan, double echo = 0.0, double verb = 0.0);
// Adds one sample at frame i; sounds running past the end are cut there.
void put(mixer& m, size_t i, double v, const placement& p);
// The gain that brings the bus to this RMS level.
double level_gain(const std::vector<float>& bus, double rms);
void add_mixer(mixer& to, const mixer& from, float gain);
}

#include "tools/music/mixer.h"

#include <algorithm>

namespace synth {
mixer silent_mixer(size_t frames)
{
    const std::vector<float> silence(2 * frames, 0.0f);
    return {frames, silence, silence, silence};
}

placement place(double pan, double echo, double verb)
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

double level_gain(const std::vector<float>& bus, double rms)
{
    double power = 0.0;
    for (float v : bus)
        power += double(v) * v;
    return rms / std::sqrt(std::max(power / bus.size(), 1e-12));
}

void add_mixer(mixer& to, const mixer& from, float gain)
{
    for (size_t i = 0; i < 2 * to.frames; ++i) {
        to.dry[i] += gain * from.dry[i];
        to.echo[i] += gain * from.echo[i];
        to.verb[i] += gain * from.verb[i];
    }
}
}

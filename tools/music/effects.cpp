#include "tools/music/effects.h"

namespace synth {
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

void level_and_limit(std::vector<float>& bus, double rms)
{
    const double gain = level_gain(bus, rms);
    for (float& v : bus)
        v = float(std::tanh(v * gain));
}
}

#include "tools/music/melody.h"

#include <algorithm>

namespace synth {
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

motif answer(rng& r, const motif& m, int steps)
{
    motif v = m;
    for (int i = 0; i < v.count; ++i)
        if (v.onset[i] >= steps / 2)
            v.move[i] = -v.move[i] + (r.unit() < 0.3 ? 1 : 0);
    return v;
}

motif cadence(int steps)
{
    motif c{};
    c.count = 2, c.onset[1] = steps / 2, c.length[0] = c.length[1] = steps / 2;
    c.move[0] = 1, c.move[1] = -1;
    return c;
}

void sing(mixer& m, rng& r, const piece& pc, const voice& v, const placement& p, int& degree, const motif& mo,
          int chord_degree, double bar_start, double sixteenth, int lift)
{
    // From two degrees below the tonic to the fifth above its octave.
    constexpr int low = -2, high = 11;
    for (int i = 0; i < mo.count; ++i) {
        int d = degree + mo.move[i];
        if (mo.onset[i] % 4 == 0)
            d = nearest_chord_tone(d, chord_degree);
        while (d + lift > high)
            d -= 7;
        while (d + lift < low)
            d += 7;
        degree = d;
        const int note = scale_note(pc.key, pc.mode, d + lift);
        const double velocity = (mo.onset[i] % 4 == 0 ? 1.0 : 0.82) * (0.9 + 0.1 * r.unit());
        play(m, v, bar_start + mo.onset[i] * sixteenth, mo.length[i] * sixteenth * 0.92, note, velocity, p);
    }
}
}

// The generator's only source of chance: a small xorshift, seeded per piece
// and part, so that every run makes the same music.
#pragma once
#include <cstdint>

namespace synth {
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
}

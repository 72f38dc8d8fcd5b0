#include "timeline/sync.h"

#include <cstring>

namespace {
float scale_of(uint8_t s)
{
    // 2^(s - 10), built from its bit pattern.
    const uint32_t bits = uint32_t(s) * (1u << 23) + 0x3A800000u;
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}
}

void sync_evaluate(const sync_tables& tb, sync_scratch& scratch, float t, float* out)
{
    float* rowdoffs = scratch.rowdoffs;
    float* intfacs = scratch.intfacs;
    double d = t;
    for (int k = 0; k < sync_row_slots; ++k) {
        rowdoffs[k] = float(d);
        d -= tb.rows[k];
    }

    int i = 0;
    for (int s = 0; i < tb.key_count; ++s) {
        const double scale = scale_of(tb.scales[s]);
        int j = 0;
        double a = tb.values[i];
        for (;;) {
            const double d0 = rowdoffs[j];
            if (tb.keys[i] == sync_last_key) {
                if (d0 >= 0)
                    out[s] = float(a * scale);
                ++i;
                break;
            }
            const double b = tb.values[i + 1];
            j += tb.keys[i];
            if (d0 >= 0) {
                const double d1 = rowdoffs[j];
                const double x = d0 / (d0 - d1);
                intfacs[0] = 0;
                intfacs[1] = float(x);
                intfacs[2] = float(x * x * (3 - 2 * x));
                intfacs[3] = float(x * x);
                out[s] = float((a + (b - a) * intfacs[tb.modes[i]]) * scale);
            }
            a = b;
            ++i;
        }
    }
}

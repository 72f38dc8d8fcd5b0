// The prefix's cis and sincos_fast against the host's cosine and sine, far
// from zero as the effects use them (angles in the hundreds), read back at 20
// bits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "tests/graphics/gpu_harness.h"

namespace {
constexpr int probe_entry = 5;
// Column x gets angle (x - 384) * 1.37, -526 ... 526; the upper half of the
// entry shows its cosine, the lower half its sine, as 0.5 + 0.5 v split into
// its first 10 bits (red) and the next 10 (green).
const char probe_cis[] = R"(
void ya(out float4 o, float2 h)
{
    float2 v = cis((floor(h.x) - 384) * 1.37) * 0.5 + 0.5;
    float s = (h.y > 540 ? v.x : v.y) * 1023;
    o = float4(floor(s) / 1023, frac(s), 0, 1);
}
)";
const char probe_sincos_fast[] = R"(
void ya(out float4 o, float2 h)
{
    float3 s, c;
    sincos_fast((floor(h.x) - 384) * 1.37, s, c);
    // Its values may pass 1 by a few 10^-6, which the read-back cannot hold.
    float2 v = saturate(float2(c.y, s.z) * 0.5 + 0.5);
    float t = (h.y > 540 ? v.x : v.y) * 1023;
    o = float4(floor(t) / 1023, frac(t), 0, 1);
}
)";

// The largest difference from the host's over the column's angles.
double worst_difference(const char* probe)
{
    start_gpu(column_width);
    compile_position_effects(probe_entry, probe);
    set_plain_constants();
    draw_at(float(probe_entry));
    double worst = 0;
    int worst_x = 0;
    for (int x = 0; x < column_width; ++x) {
        const float a = (float(x) - 384) * 1.37f;
        for (const auto& [row, want] : {std::pair{100, std::cos(double(a))}, std::pair{900, std::sin(double(a))}}) {
            const pixel p = back_buffer_at(x, row);
            const double got = (p.r + p.g / 1023.0) / 1023.0 * 2 - 1;
            if (std::abs(got - want) > worst)
                worst = std::abs(got - want), worst_x = x;
        }
    }
    std::printf("worst at angle %g: %g\n", (float(worst_x) - 384) * 1.37f, worst);
    return worst;
}
}

// The read-back's own step is 1 / 1023^2, about 10^-6; a driver's sine may be
// off by 5 * 10^-4.
TEST(Cis, CosineAndSineToFloatPrecisionFarFromZero) { EXPECT_LT(worst_difference(probe_cis), 5e-6); }

// Reducing an angle in the hundreds costs float precision before the series
// sees it: about 3 * 10^-4 at 400.
TEST(Cis, FastSineAndCosineWithinTheirBoundFarFromZero) { EXPECT_LT(worst_difference(probe_sincos_fast), 5e-4); }

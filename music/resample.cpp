#include "music/resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

// A windowed-sinc interpolator with linear phase: a 22,050 Hz or 48,000 Hz file
// plays at its true pitch and length, aligned with its first sample.
namespace {
constexpr long out_rate = 44100;
constexpr int ring_size = resample_ring_size;
constexpr double kaiser_beta = 8.0;

double bessel_i0(double x)
{
    double sum = 1.0, term = 1.0;
    for (int k = 1; k < 30; ++k) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
    }
    return sum;
}

void put_frames(pcm_sink& sink, const void* frames, uint32_t count)
{
    const uint64_t bytes = uint64_t(count) * 4;
    if (sink.offered < sink.capacity)
        std::memcpy(sink.pcm + sink.offered, frames, std::min<uint64_t>(bytes, sink.capacity - sink.offered));
    sink.offered += bytes;
}

int16_t to_sample(float v) { return int16_t(std::lrint(std::clamp(v, -32768.0f, 32767.0f))); }

void build(resample_filter& f, long rate)
{
    const long g = std::gcd(rate, out_rate);
    f.rate = rate;
    f.phases = int(out_rate / g);
    f.step = int(rate / g);
    // Widen the filter when it also has to cut away what lies above 22,050 Hz.
    const double shrink = std::min(1.0, double(out_rate) / double(rate));
    f.half_width = int(std::ceil(24.0 / shrink));
    f.taps = 2 * f.half_width;
    const double cutoff = 0.45 * shrink; // in cycles per input frame
    for (int p = 0; p < f.phases; ++p) {
        double sum = 0.0;
        for (int t = 0; t < f.taps; ++t) {
            const double d = double(p) / f.phases + f.half_width - 1 - t;
            const double x = 2.0 * M_PI * cutoff * d;
            const double sinc = x == 0.0 ? 1.0 : std::sin(x) / x;
            const double r = d / f.half_width;
            const double window = bessel_i0(kaiser_beta * std::sqrt(std::max(0.0, 1.0 - r * r))) / bessel_i0(kaiser_beta);
            f.kernel[p][t] = float(sinc * window);
            sum += f.kernel[p][t];
        }
        for (int t = 0; t < f.taps; ++t)
            f.kernel[p][t] = float(f.kernel[p][t] / sum);
    }
}
}

void start_resampling(resampler& r, long rate)
{
    r.frames_in = r.frames_out = 0;
    std::memset(r.ring, 0, sizeof r.ring);
    r.active = rate != out_rate;
    if (r.active && r.filter.rate != rate)
        build(r.filter, rate);
}

void resample(resampler& r, const int16_t* frames, uint32_t count, pcm_sink& sink)
{
    if (!r.active) {
        put_frames(sink, frames, count);
        return;
    }
    const resample_filter& f = r.filter;
    auto& ring = r.ring;
    int64_t& frames_in = r.frames_in;
    int64_t& frames_out = r.frames_out;
    int16_t block[256][2];
    int made = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const int at = int(frames_in & (ring_size - 1));
        for (int c = 0; c < 2; ++c)
            ring[at][c] = ring[at + ring_size][c] = frames[2 * i + c];
        const int64_t newest = frames_in++;
        // Each output frame waits for the input half_width frames past its position.
        for (;;) {
            const int64_t position = frames_out * f.step;
            const int64_t centre = position / f.phases;
            if (centre + f.half_width > newest)
                break;
            const float* k = f.kernel[position % f.phases];
            const float(*window)[2] = ring + ((centre - f.half_width + 1) & (ring_size - 1));
            float left = 0.0f, right = 0.0f;
            for (int t = 0; t < f.taps; ++t) {
                left += k[t] * window[t][0];
                right += k[t] * window[t][1];
            }
            block[made][0] = to_sample(left);
            block[made][1] = to_sample(right);
            ++frames_out;
            if (++made == 256) {
                put_frames(sink, block, made);
                made = 0;
            }
        }
    }
    put_frames(sink, block, made);
}

#include "music/audio_texture.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>

namespace {
// The transform's plan and its arrays, made once: a frame allocates nothing.
struct analysis_record {
    fftwf_plan plan;
    float* in;            // audio_window samples
    fftwf_complex* out;   // audio_window / 2 + 1 bins
    float hann[audio_window];
    double weight[audio_hops]; // of the window ending k hops back, summing to 1
};
analysis_record analysis;

// Sample i of the track as one channel in -1 ... 1; silence outside it.
float mono(const music_track& track, int64_t i)
{
    if (i < 0 || i >= int64_t(track.pcm_bytes / 4) || !track.pcm)
        return 0;
    int16_t lr[2];
    std::copy_n(track.pcm + i * 4, 4, reinterpret_cast<unsigned char*>(lr));
    return (lr[0] + lr[1]) / 65536.0f;
}
}

void start_audio_analysis()
{
    if (analysis.plan)
        return;
    analysis.in = fftwf_alloc_real(audio_window);
    analysis.out = fftwf_alloc_complex(audio_window / 2 + 1);
    analysis.plan = fftwf_plan_dft_r2c_1d(audio_window, analysis.in, analysis.out, FFTW_ESTIMATE);
    for (int i = 0; i < audio_window; ++i)
        analysis.hann[i] = float(0.5 - 0.5 * std::cos(2 * M_PI * i / audio_window));
    double sum = 0;
    for (int k = 0; k < audio_hops; ++k)
        sum += analysis.weight[k] = std::pow(audio_decay, k);
    for (double& w : analysis.weight)
        w /= sum;
}

void audio_texture(const music_track& track, int64_t sample, float texels[audio_texels])
{
    double magnitude[audio_bins] = {};
    // A full-scale sine reads 0 dB: the window's mean is 1/2 and half the power
    // lies in the negative frequencies.
    const double scale = 4.0 / audio_window;
    for (int k = 0; k < audio_hops; ++k) {
        const int64_t end = sample - int64_t(k) * audio_hop;
        for (int i = 0; i < audio_window; ++i)
            analysis.in[i] = mono(track, end - audio_window + i) * analysis.hann[i];
        fftwf_execute(analysis.plan);
        for (int b = 0; b < audio_bins; ++b)
            magnitude[b] += analysis.weight[k] * scale * std::hypot(analysis.out[b][0], analysis.out[b][1]);
    }
    for (int b = 0; b < audio_bins; ++b) {
        const double db = 20 * std::log10(std::max(magnitude[b], 1e-12));
        texels[b] = float(std::clamp((db - audio_floor_db) / (audio_ceiling_db - audio_floor_db), 0.0, 1.0));
        texels[audio_bins + b] = 0.5f + 0.5f * mono(track, sample - audio_bins + b);
    }
}

// What hearing the music costs (run by hand, not a test): one frame's audio
// texture, and one track's beats found by analysis, which a start without a
// kept grid pays once per track.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "music/audio_texture.h"
#include "music/beat_cache.h"

namespace {
// 30 s of a 110 Hz tone pulsed twice a second, as 16-bit stereo.
const music_track& pulses()
{
    static std::vector<int16_t> pcm(30 * 44100 * 2);
    static music_track track{uint32_t(pcm.size() * 2), 30, reinterpret_cast<unsigned char*>(pcm.data())};
    for (size_t f = 0; f < pcm.size() / 2; ++f)
        pcm[2 * f] = pcm[2 * f + 1] = int16_t(12000 * std::sin(f * 0.0157) * std::exp(-std::fmod(f / 22050.0, 1) * 8));
    return track;
}

void frame_texture(benchmark::State& state)
{
    const music_track& track = pulses();
    start_audio_analysis();
    static float texels[audio_texels];
    int64_t sample = 44100;
    for (auto _ : state) {
        audio_texture(track, sample, texels);
        benchmark::DoNotOptimize(texels);
        sample = sample < 29 * 44100 ? sample + 735 : 44100; // a frame at 60 fps
    }
}
BENCHMARK(frame_texture);

void track_beats(benchmark::State& state)
{
    const music_track& track = pulses();
    static beat_grid grid;
    for (auto _ : state) {
        analyse_beats(track, grid);
        benchmark::DoNotOptimize(grid);
    }
}
BENCHMARK(track_beats)->Unit(benchmark::kMillisecond);
}

BENCHMARK_MAIN();

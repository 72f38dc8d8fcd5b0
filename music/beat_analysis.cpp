#include <aubio/aubio.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "music/beat_cache.h"

namespace {
constexpr uint_t window = 1024, hop = 512, rate = 44100;

double median_gap(const beat_grid& grid)
{
    std::vector<double> gaps;
    for (int i = 1; i < grid.beat_count; ++i)
        gaps.push_back(grid.beat_seconds[i] - grid.beat_seconds[i - 1]);
    std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
    return gaps[gaps.size() / 2];
}
}

void analyse_beats(const music_track& track, beat_grid& grid)
{
    grid = {};
    grid.beats_per_bar = 4;
    aubio_tempo_t* tempo = new_aubio_tempo("default", window, hop, rate);
    fvec_t* in = new_fvec(hop);
    fvec_t* out = new_fvec(1);
    const auto* pcm = reinterpret_cast<const int16_t*>(track.pcm);
    const uint32_t frames = track.pcm_bytes / 4;
    for (uint32_t at = 0; tempo && in && out && at < frames && grid.beat_count < max_beats; at += hop) {
        for (uint_t i = 0; i < hop; ++i) {
            const uint32_t f = at + i;
            in->data[i] = f < frames ? (pcm[2 * f] + pcm[2 * f + 1]) / 65536.0f : 0.0f;
        }
        aubio_tempo_do(tempo, in, out);
        if (out->data[0] == 0)
            continue;
        const double t = aubio_tempo_get_last_s(tempo);
        if (t >= 0 && (grid.beat_count == 0 || t > grid.beat_seconds[grid.beat_count - 1]))
            grid.beat_seconds[grid.beat_count++] = t;
    }
    if (out)
        del_fvec(out);
    if (in)
        del_fvec(in);
    if (tempo)
        del_aubio_tempo(tempo);
    if (grid.beat_count < 2)
        grid.beat_count = 0; // one beat makes no tempo
    else
        grid.tempo = 60.0 / median_gap(grid);
}

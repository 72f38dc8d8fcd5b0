#include "tools/studio/envelope.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {
constexpr uint32_t frame_bytes = 4; // 16-bit stereo
constexpr uint32_t rate = 44100;

float loudness(const music_track& track, double seconds)
{
    const uint64_t first = uint64_t(seconds * rate), count = uint64_t(row_seconds * rate);
    const uint64_t frames = track.pcm ? track.pcm_bytes / frame_bytes : 0;
    if (first >= frames)
        return 0;
    const uint64_t end = std::min(frames, first + count);
    double sum = 0;
    for (uint64_t f = first; f < end; ++f)
        for (int channel = 0; channel < 2; ++channel) {
            int16_t s;
            std::memcpy(&s, track.pcm + f * frame_bytes + channel * 2, 2);
            sum += double(s) * s;
        }
    const double rms = std::sqrt(sum / double(2 * count)) / 32768;
    if (rms <= 0)
        return 0;
    return float(std::clamp(1 - 20 * std::log10(rms) / envelope_floor_db, 0.0, 1.0));
}
}

void music_envelope(const show_map& map, float level[mapped_rows])
{
    for (int r = 0; r < mapped_rows; ++r) {
        const int t = map.track[r];
        level[r] = t >= 0 && t < track_slots ? loudness(track_table[t], map.music_seconds[r]) : 0;
    }
}

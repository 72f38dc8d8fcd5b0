#include "tools/studio/envelope.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {
constexpr uint32_t frame_bytes = 4; // 16-bit stereo
constexpr uint32_t rate = 44100;
constexpr double step_seconds = row_seconds / envelope_steps;
constexpr float envelope_range_db = 36;

float loudness(const music_track& track, double seconds)
{
    const uint64_t first = uint64_t(seconds * rate), count = uint64_t(step_seconds * rate);
    const uint64_t frames = track.pcm ? track.pcm_bytes / frame_bytes : 0;
    if (first >= frames)
        return envelope_silence_db;
    const uint64_t end = std::min(frames, first + count);
    double sum = 0;
    for (uint64_t f = first; f < end; ++f)
        for (int channel = 0; channel < 2; ++channel) {
            int16_t s;
            std::memcpy(&s, track.pcm + f * frame_bytes + channel * 2, 2);
            sum += double(s) * s;
        }
    const double rms = std::sqrt(sum / double(2 * count)) / 32768;
    return rms > 0 ? std::max(float(20 * std::log10(rms)), envelope_silence_db) : envelope_silence_db;
}
}

void music_envelope(const show_map& map, float db[envelope_count])
{
    for (int s = 0; s < envelope_count; ++s) {
        const int r = s / envelope_steps, t = map.track[r];
        db[s] = t >= 0 && t < track_slots
                    ? loudness(track_table[t], map.music_seconds[r] + (s % envelope_steps) * step_seconds)
                    : envelope_silence_db;
    }
}

int envelope_height(float db, float top_db, int height)
{
    const float above_floor = std::clamp((db - (top_db - envelope_range_db)) / envelope_range_db, 0.0f, 1.0f);
    return int(std::lround(above_floor * height));
}

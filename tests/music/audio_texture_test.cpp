#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "music/audio_texture.h"

namespace {
// Stereo 16-bit sound: `tone` Hz at `level` (1 full scale) from `on` to `off` seconds.
struct sound {
    std::vector<int16_t> pcm;
    music_track track;
    sound(double seconds, double tone, double level, double on, double off) : pcm(size_t(seconds * 44100) * 2)
    {
        for (size_t f = 0; f < pcm.size() / 2; ++f) {
            const double t = f / 44100.0;
            pcm[2 * f] = pcm[2 * f + 1] = int16_t(t >= on && t < off ? 32767 * level * std::sin(2 * M_PI * tone * t) : 0);
        }
        track = {uint32_t(pcm.size() * 2), seconds, reinterpret_cast<unsigned char*>(pcm.data())};
    }
};

struct texture {
    float t[audio_texels];
    float spectrum(int bin) const { return t[bin]; }
    float wave(int i) const { return t[audio_bins + i]; }
    int loudest() const { return int(std::max_element(t, t + audio_bins) - t); }
};

texture at(const music_track& track, int64_t sample)
{
    start_audio_analysis();
    texture out;
    audio_texture(track, sample, out.t);
    return out;
}

TEST(AudioTexture, ATonePeaksInItsBinAtItsLevel)
{
    const sound loud(2, 1000, 0.5, 0, 2), quiet(2, 1000, 0.005, 0, 2), high(2, 8000, 0.05, 0, 2);
    const texture l = at(loud.track, 44100), q = at(quiet.track, 44100), h = at(high.track, 44100);
    EXPECT_EQ(q.loudest(), 23); // 1000 Hz / 43.07 Hz
    EXPECT_EQ(h.loudest(), 186);
    // A full-scale sine reads 0 dB: half of it is above the ceiling, a two-hundredth at -46 dB.
    EXPECT_EQ(l.spectrum(23), 1.0f);
    EXPECT_NEAR(q.spectrum(23), (20 * std::log10(0.005) - audio_floor_db) / (audio_ceiling_db - audio_floor_db), 0.03);
    // The window keeps the tone to its own bins: far from it lies the floor.
    EXPECT_LT(l.spectrum(100), 0.05f);
}

TEST(AudioTexture, TheWaveformRowIsTheLastSamples)
{
    const sound s(1, 440, 0.5, 0, 1);
    const texture t = at(s.track, 20000);
    for (int i = 0; i < audio_bins; i += 37) {
        const int64_t f = 20000 - audio_bins + i;
        EXPECT_NEAR(t.wave(i), 0.5 + 0.5 * (2 * s.pcm[2 * f] / 65536.0), 1e-6) << i;
    }
}

TEST(AudioTexture, SilentBeforeAfterAndWithoutATrack)
{
    const sound s(1, 440, 0.5, 0, 1);
    const music_track none{};
    for (const texture& t : {at(s.track, -5000), at(s.track, 44100 + audio_window * audio_hops), at(none, 1000)}) {
        EXPECT_EQ(*std::max_element(t.t, t.t + audio_bins), 0.0f);
        for (int i = 0; i < audio_bins; ++i)
            ASSERT_EQ(t.wave(i), 0.5f);
    }
}

TEST(AudioTexture, SmoothedOverTheHopsBeforeTheMomentOnly)
{
    // A tone starting at 1 s swells over the hops after it and dies away
    // over those after it stops: never at once.
    const sound s(3, 1000, 0.01, 1, 2);
    const int64_t on = 44100, off = 2 * 44100;
    const float first = at(s.track, on + audio_window).spectrum(23);
    const float later = at(s.track, on + audio_window + 6 * audio_hop).spectrum(23);
    const float full = at(s.track, on + audio_window + audio_hops * audio_hop).spectrum(23);
    EXPECT_GT(first, 0.3f);
    EXPECT_LT(first, later);
    EXPECT_LT(later, full);
    const float after = at(s.track, off + audio_window).spectrum(23);
    EXPECT_GT(after, 0.3f);
    EXPECT_LT(after, full);
    EXPECT_EQ(at(s.track, off + audio_window * 2 + audio_hops * audio_hop).spectrum(23), 0.0f);
}

TEST(AudioTexture, AMomentsTextureIsTheSameWhateverCameBefore)
{
    const sound s(3, 300, 0.3, 0.5, 2.5);
    const texture first = at(s.track, 60000);
    for (int64_t other : {0, 100000, 60001, 59999})
        at(s.track, other);
    const texture again = at(s.track, 60000);
    EXPECT_EQ(std::memcmp(first.t, again.t, sizeof first.t), 0);
}
}

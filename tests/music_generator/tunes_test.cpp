#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "tools/music/tunes.h"

namespace {
double rms_db(const std::vector<float>& samples, size_t first_frame, size_t frames)
{
    double power = 0.0;
    for (size_t i = 2 * first_frame; i < 2 * (first_frame + frames); ++i)
        power += double(samples[i]) * samples[i];
    return 10.0 * std::log10(power / (2.0 * frames) + 1e-20);
}

// How strongly the rise in loudness repeats after `seconds`, from 10 ms steps.
struct onsets {
    std::vector<double> strength;
    explicit onsets(const std::vector<float>& samples)
    {
        std::vector<double> level;
        for (size_t at = 0; at + 441 <= samples.size() / 2; at += 441)
            level.push_back(rms_db(samples, at, 441));
        double mean = 0.0;
        for (size_t i = 1; i < level.size(); ++i)
            strength.push_back(std::max(0.0, level[i] - level[i - 1])), mean += strength.back();
        mean /= strength.size();
        for (double& s : strength)
            s -= mean;
    }
    double repeat(double seconds) const
    {
        const double lag = seconds * 100.0;
        const size_t whole = size_t(lag);
        const double part = lag - whole;
        double sum = 0.0;
        for (size_t i = 0; i + whole + 1 < strength.size(); ++i)
            sum += strength[i] * ((1.0 - part) * strength[i + whole] + part * strength[i + whole + 1]);
        return sum;
    }
};

class MusicTune : public testing::TestWithParam<int> {};

TEST_P(MusicTune, IsALittleTuneThatStartsAtOnce)
{
    const int k = GetParam();
    const tune_facts facts = describe_tune(k);
    const std::vector<float> samples = render_tune(k);
    const size_t frames = samples.size() / 2;

    // Long enough for the longest stay on screen (22 s) and a few seconds more.
    EXPECT_GE(frames, 30u * tune_rate);
    // A switch restarts the piece: it must sound within its first 10 ms, and not fall
    // silent before its last chord rings out.
    EXPECT_GT(rms_db(samples, 0, 441), -25.0);
    for (size_t second = 0; second < 28; ++second)
        EXPECT_GT(rms_db(samples, second * tune_rate, tune_rate), -30.0) << second;
    const float peak = *std::max_element(samples.begin(), samples.end(), [](float a, float b) {
        return std::fabs(a) < std::fabs(b);
    });
    EXPECT_LT(std::fabs(peak), 0.99f);

    // Its rhythm repeats every bar at its tempo, and not half a sixteenth off it.
    const onsets o(samples);
    const double bar = 60.0 / facts.bpm * facts.beats_per_bar, half_sixteenth = 7.5 / facts.bpm;
    const double on_beat = o.repeat(bar);
    EXPECT_GT(on_beat, 1.4 * std::max({o.repeat(bar - half_sixteenth), o.repeat(bar + half_sixteenth), 1.0}));
}

INSTANTIATE_TEST_SUITE_P(, MusicTune, testing::Range(0, tune_count));

TEST(MusicTunes, EveryPieceHasItsOwnTempoAndSound)
{
    std::set<int> tempos;
    std::set<std::tuple<std::string, std::string, std::string, std::string, std::string>> sounds;
    for (int k = 0; k < tune_count; ++k) {
        const tune_facts f = describe_tune(k);
        tempos.insert(f.bpm);
        sounds.insert({f.key, f.mode, f.groove, f.lead, f.bass});
    }
    EXPECT_EQ(tempos.size(), size_t(tune_count));
    EXPECT_EQ(sounds.size(), size_t(tune_count));
}

// The grid the generator writes beside each piece: a beat every 60 / bpm s from
// the first sample to the final chord, every bar's first beat on its kick.
TEST(MusicTunes, BeatGridFallsOnTheBarsKicks)
{
    for (int k : {0, 5, 15, 21}) { // backbeat, four on the floor, a waltz, a shuffle
        const tune_facts f = describe_tune(k);
        const std::vector<double> beats = tune_beat_seconds(k);
        const std::vector<float> samples = render_tune(k);
        const double seconds = samples.size() / 2.0 / tune_rate;
        ASSERT_GT(beats.size(), 2u);
        EXPECT_EQ(beats[0], 0.0);
        for (size_t i = 1; i < beats.size(); ++i)
            ASSERT_NEAR(beats[i] - beats[i - 1], 60.0 / f.bpm, 1e-9) << k;
        // Whole bars, then the final chord's downbeat, which still rings.
        EXPECT_EQ((beats.size() - 1) % f.beats_per_bar, 0u) << k;
        EXPECT_GT(beats.back(), 27.0);
        EXPECT_LT(beats.back() + 1.0, seconds);
        // Loudness rises on the bars' first beats, far more than a little off them.
        const size_t window = tune_rate / 100;
        const auto rise = [&](double shift) {
            double sum = 0;
            int bars = 0;
            for (size_t i = f.beats_per_bar; i + 1 < beats.size(); i += f.beats_per_bar, ++bars) {
                const size_t at = size_t(std::lround((beats[i] + shift) * tune_rate));
                sum += rms_db(samples, at, window) - rms_db(samples, at - window, window);
            }
            return sum / bars;
        };
        EXPECT_GT(rise(0), 4) << k;
        for (double off : {0.25, 0.5})
            EXPECT_GT(rise(0), rise(off * 60.0 / f.bpm) + 3) << k << " against " << off << " beat off";
    }
}
}

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
}

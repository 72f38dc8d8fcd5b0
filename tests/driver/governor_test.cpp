// The governor over frame times made up by a cost model: a part that
// every frame pays and a part that shrinks with the number of pixels drawn.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "driver/governor.h"

namespace {
constexpr double budget = 83;

struct cost {
    double fixed, full; // ms: every frame, and the passes at full scale
    double at(int index) const { return fixed + full / double(1 << (2 * index)); }
};

// Deterministic jitter in -spread ... spread, as a share of the frame time.
struct jitter {
    uint32_t state = 12345;
    double spread;
    double operator()(double ms)
    {
        state = state * 1664525 + 1013904223;
        return ms * (1 + spread * (double(state >> 8) / double(1 << 24) * 2 - 1));
    }
};

// Runs `frames` frames; the indices chosen for each.
std::vector<int> play(governor_state& g, const cost& c, int frames, double spread = 0)
{
    jitter noise{12345, spread};
    std::vector<int> chosen;
    for (int k = 0; k < frames; ++k)
        chosen.push_back(governor_step(g, noise(c.at(g.index)), budget));
    return chosen;
}

int changes(const std::vector<int>& chosen, int from = 0)
{
    int n = 0;
    for (size_t k = size_t(from) + 1; k < chosen.size(); ++k)
        n += chosen[k] != chosen[k - 1];
    return n;
}
}

TEST(PreviewGovernor, SettlesOnTheFinestScaleWithinTheBudget)
{
    const cost cases[] = {
        {10, 40},  // full fits easily
        {20, 50},  // full fits, but only once the fixed part is known: 4 x the half-scale time would not
        {15, 150}, // half
        {10, 600}, // quarter
        {10, 2400}, // an eighth, where the ladder has it
        {20, 1200}, // an eighth, where it has it, found only once the fixed part is known
        {90, 900}, // nothing fits: the coarsest
    };
    // The studio's ladder ends at 1/4, the show's at 1/8.
    for (const int coarsest : {governor_coarsest, 3})
        for (const cost& c : cases) {
            for (int start = 0; start <= coarsest; ++start) {
                governor_state g;
                g.coarsest = coarsest;
                g.index = start;
                const std::vector<int> chosen = play(g, c, 400);
                const int settled = chosen.back();
                int best = coarsest;
                while (best > 0 && c.at(best - 1) <= budget)
                    --best;
                EXPECT_EQ(settled, best) << "fixed " << c.fixed << " full " << c.full << " from " << start << " down to "
                                         << coarsest;
                EXPECT_EQ(changes(chosen, 200), 0) << "still changing after 200 frames";
            }
        }
}

TEST(PreviewGovernor, NeverChangesOnEveryFrameAndRarelyOnNoise)
{
    // Full scale right at the budget, each frame 15 % off either way.
    for (const double full : {70.0, 80.0, 90.0}) {
        governor_state g;
        const std::vector<int> chosen = play(g, {5, full}, 2000, 0.15);
        for (size_t k = 2; k < chosen.size(); ++k)
            EXPECT_FALSE(chosen[k] != chosen[k - 1] && chosen[k - 1] != chosen[k - 2]) << "frame " << k;
        EXPECT_LE(changes(chosen), 16) << "full " << full;
    }
}

TEST(PreviewGovernor, FollowsTheShowFromLightToHeavyEntriesAndBack)
{
    governor_state g;
    play(g, {10, 40}, 50);
    ASSERT_EQ(g.index, 0);
    // A heavy entry: coarser within three frames, and held there.
    const std::vector<int> heavy = play(g, {10, 600}, 60);
    EXPECT_EQ(heavy[2], governor_coarsest);
    EXPECT_EQ(changes(heavy, 3), 0);
    // Light again: full scale within a few seconds at the light entry's rate.
    const std::vector<int> light = play(g, {10, 40}, 60);
    EXPECT_EQ(light.back(), 0);
}

TEST(PreviewGovernor, OneSlowFrameIsNotAReason)
{
    governor_state g;
    play(g, {10, 40}, 30);
    EXPECT_EQ(governor_step(g, 2 * budget, budget), 0) << "a reload or a hiccup";
    EXPECT_EQ(governor_step(g, 50, budget), 0);
}

TEST(PreviewGovernor, LearnsTheFixedPartFromAnyJump)
{
    // Straight from full scale to the coarsest: the two times differ by 1/4
    // of the pixels for every step between them.
    for (const int coarsest : {governor_coarsest, 3}) {
        const cost c{20, 6000};
        governor_state g;
        g.coarsest = coarsest;
        play(g, c, 2);
        ASSERT_EQ(g.index, coarsest);
        play(g, c, 2);
        EXPECT_NEAR(g.fixed_ms, c.fixed, 0.5) << "down to " << coarsest;
    }
}

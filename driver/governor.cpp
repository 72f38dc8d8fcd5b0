#include "driver/governor.h"

#include <algorithm>
#include <cstdlib>

namespace {
constexpr int window = int(sizeof governor_state{}.recent / sizeof(double));
constexpr double refine_margin = 0.9; // a finer scale must be expected to fit with room to spare
constexpr int shortest_hold = 8, longest_hold = 128;

// A frame is fixed + variable; one scale coarser draws a quarter of the pixels.
double coarser_ms(double ms, double fixed) { return fixed + (ms - fixed) / 4; }
double finer_ms(double ms, double fixed) { return fixed + (ms - fixed) * 4; }

void change(governor_state& g, int index, double last_ms)
{
    // Back from a finer scale it had just tried: wait longer before the next try.
    if (index > g.index)
        g.hold = g.left_index == index && g.frames < 2 * shortest_hold ? std::min(g.hold * 2, longest_hold)
                                                                         : shortest_hold;
    g.left_ms = last_ms;
    g.left_index = g.index;
    g.index = index;
    g.frames = g.over = 0;
}

// Two scales timed one after the other tell how much of a frame does not
// shrink: fine = f + v, coarse = f + v / r, r = 4 to the steps between them.
void learn_fixed(governor_state& g, double ms)
{
    if (g.left_index < 0 || g.left_ms <= 0)
        return;
    const double r = double(1 << (2 * std::abs(g.left_index - g.index)));
    const double fine = g.left_index < g.index ? g.left_ms : ms, coarse = g.left_index < g.index ? ms : g.left_ms;
    const double fixed = std::clamp((r * coarse - fine) / (r - 1), 0.0, coarse);
    g.fixed_ms = g.fixed_ms >= 0 ? (g.fixed_ms + fixed) / 2 : fixed; // content may have changed between the two
}
}

int governor_step(governor_state& g, double frame_ms, double budget_ms)
{
    g.recent[g.frames % window] = frame_ms;
    ++g.frames;
    g.over = frame_ms > budget_ms ? g.over + 1 : 0;
    if (g.frames == 2) // the first frame at a new scale may still carry the change
        learn_fixed(g, frame_ms);
    if (g.frames < 2)
        return g.index;

    if (g.index < g.coarsest && (g.over >= 2 || frame_ms > 3 * budget_ms)) {
        // Straight to the scale expected to fit, or the coarsest.
        int k = g.index;
        for (double t = frame_ms; k < g.coarsest && t > budget_ms; ++k)
            t = coarser_ms(t, std::max(g.fixed_ms, 0.0));
        change(g, k, frame_ms);
        return g.index;
    }
    if (g.index > 0 && g.frames >= g.hold) {
        const int seen = std::min(g.frames, window);
        const double worst = *std::max_element(g.recent, g.recent + seen);
        // Until two scales have been timed together the only way to know is to try.
        if (g.fixed_ms < 0 || finer_ms(worst, g.fixed_ms) <= budget_ms * refine_margin)
            change(g, g.index - 1, frame_ms);
    }
    return g.index;
}

// The scale the effects are drawn at, for the show's --adaptive and the
// studio's `--preview auto`: the finest of full, 1/2, 1/4 (and for the show
// 1/8) whose recent frame times stay within a budget. Pure bookkeeping over frame times, so it
// is tested without a window.
#pragma once

constexpr int governor_coarsest = 2; // scale indices: 0 full, 1 half, 2 quarter, 3 eighth

struct governor_state {
    int coarsest = governor_coarsest; // the coarsest scale index it may choose
    int index = 0;         // the scale frames are drawn at now
    int frames = 0;        // frames timed at it since it was chosen
    int over = 0;          // of those, the latest ones in a row over the budget
    double recent[6] = {}; // the latest frame times at it, newest at frames % 6
    int hold = 8;          // frames to stay before trying a finer scale; grows when a try fails
    double fixed_ms = -1;  // the part of a frame that does not shrink with the scale; < 0 until learnt
    double left_ms = 0;    // the last frame time at the scale before the change
    int left_index = -1;
};

// Takes the time of one frame drawn at g.index and returns the scale index
// for the next. A scale is kept for at least two frames, so the picture never
// changes scale frame by frame.
int governor_step(governor_state& g, double frame_ms, double budget_ms);

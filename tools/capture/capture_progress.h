// How long a capture has left, from what each entry has cost so far: the
// entries differ tenfold in cost, so the mean of the frames done misleads
// while the cheap ones pass.
#pragma once
#include <vector>

struct render_progress {
    std::vector<long> frames_left; // per track, frames still to render
    std::vector<double> ms_spent;  // per track, time its rendered frames took
    std::vector<long> frames_done; // per track
    long done = 0, total = 0;
};

// The tracks the run's frames show, in order.
render_progress plan_progress(const std::vector<int>& frame_tracks);
void count_frame(render_progress& p, int track, double ms);
// Seconds the frames still to come should take: each at its track's mean so
// far, or at the mean of every frame so far for a track not seen yet.
double seconds_left(const render_progress& p);

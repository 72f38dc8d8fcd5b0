#include "tools/capture/capture_progress.h"

#include <algorithm>

render_progress plan_progress(const std::vector<int>& frame_tracks)
{
    render_progress p;
    const int tracks = frame_tracks.empty() ? 0 : *std::max_element(frame_tracks.begin(), frame_tracks.end()) + 1;
    p.frames_left.assign(size_t(tracks), 0);
    p.ms_spent.assign(size_t(tracks), 0);
    p.frames_done.assign(size_t(tracks), 0);
    for (int t : frame_tracks)
        if (t >= 0)
            ++p.frames_left[size_t(t)];
    p.total = long(frame_tracks.size());
    return p;
}

void count_frame(render_progress& p, int track, double ms)
{
    ++p.done;
    if (track < 0 || size_t(track) >= p.frames_left.size())
        return;
    const size_t t = size_t(track);
    p.frames_left[t] = std::max(p.frames_left[t] - 1, 0L);
    p.ms_spent[t] += ms;
    ++p.frames_done[t];
}

double seconds_left(const render_progress& p)
{
    double all_ms = 0;
    long all_frames = 0;
    for (size_t t = 0; t < p.ms_spent.size(); ++t)
        all_ms += p.ms_spent[t], all_frames += p.frames_done[t];
    if (all_frames == 0)
        return 0;
    double ms = 0;
    for (size_t t = 0; t < p.frames_left.size(); ++t)
        ms += p.frames_left[t] * (p.frames_done[t] ? p.ms_spent[t] / p.frames_done[t] : all_ms / all_frames);
    return ms / 1000;
}

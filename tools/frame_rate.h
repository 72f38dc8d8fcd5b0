// Frame rates as exact fractions, so that 60000/1001 steps the show without
// drift and ffmpeg is told the same rate.
#pragma once

struct frame_rate {
    long long num = 60, den = 1; // frames per second = num / den
};

// "60", "29.97" or "60000/1001"; false for anything else, zero, or more than
// 10000 frames per second.
bool parse_frame_rate(const char* text, frame_rate& out);
// Row of frame k of a run that starts at row `from`: from + 8 k den / num,
// rounded once.
double frame_row(const frame_rate& rate, double from, long long k);
// Frames at from, from + 8 / fps, ... up to `to`.
long long frames_between(const frame_rate& rate, double from, double to);

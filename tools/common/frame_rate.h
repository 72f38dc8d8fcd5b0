// Frame rates as exact fractions, so that 60000/1001 steps the show without
// drift and ffmpeg is told the same rate.
#pragma once
#include <string>

struct frame_rate {
    long long num = 60, den = 1; // frames per second = num / den
};

// The rates a capture accepts, the same for every output so that one range is
// documented; 60 is the show's own rate. The video's sound reaches ffmpeg
// whole before the first picture, so ffmpeg's inputs set no bound of their own.
constexpr int min_fps = 1, max_fps = 240;

// "60", "29.97" or "60000/1001"; false for anything else or a rate outside
// min_fps ... max_fps.
bool parse_frame_rate(const char* text, frame_rate& out);
// What parse_frame_rate takes, for the line that refuses a value.
std::string frame_rate_rule();
// Row of frame k of a run that starts at row `from`: from + 8 k den / num,
// rounded once.
double frame_row(const frame_rate& rate, double from, long long k);
// The first frame of the show at `rate` that lies at or after `rows`.
long long first_frame_at(const frame_rate& rate, double rows);
// Frames at from, from + 8 / fps, ... before `to`: a range holds its start and
// not its end, so ranges that meet share no frame and 4 s are 4 s of frames.
long long frames_between(const frame_rate& rate, double from, double to);

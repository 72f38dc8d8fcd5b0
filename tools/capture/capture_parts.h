// A render split into parts that machines make apart and one join puts
// together without encoding the pictures again: which frames each part holds,
// and the line each part and soundtrack carry so the join can tell whose they are.
#pragma once
#include <string>
#include <vector>

#include "tools/common/frame_rate.h"

// A keyframe every second, so players can seek; parts start on one.
long keyframe_interval(const frame_rate& rate);

// Frames first ... end - 1 of a render.
struct part_span {
    long first = 0, end = 0;
};

// Most parts a render of `frames` frames splits into: one per keyframe.
long most_parts(long frames, long keyframes_every);
// The k-th (1 ... n) of n parts of a render of `frames` frames: about as long
// as each other, cut only on keyframes, together every frame once.
part_span part_frames(long frames, long keyframes_every, int k, int n);

// What a part and a soundtrack belong to: the rows and rate of the render
// ("rows 0-32 at 60/1 fps"), and for pictures their look ("width 1920, column").
std::string render_range(double from, double to, const frame_rate& rate);
std::string render_look(int width, bool column);

struct part_tag {
    int k = 0, n = 0;
    part_span span;
    long frames = 0; // of the whole render
    std::string range, look;
};
std::string write_part_tag(const part_tag& t);
// False for a line that write_part_tag did not write.
bool read_part_tag(const std::string& line, part_tag& t);
std::string write_sound_tag(const std::string& range);
// The range of a soundtrack's line, or empty for another line.
std::string read_sound_tag(const std::string& line);

// A file handed to the join, as it was found.
struct join_input {
    std::string path;
    std::string tag;     // its comment, empty when it has none
    long frames = -1;    // pictures it holds
};

// Empty when the parts, in the order given, are every part of one render,
// each whole, and `sound` is that render's soundtrack; else one line naming
// the first file that is missing, foreign, unfinished or out of place.
std::string check_join(const std::vector<join_input>& parts, const join_input& sound);

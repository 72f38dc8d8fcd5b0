#include "tools/capture/capture_parts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "tools/common/number.h"

long keyframe_interval(const frame_rate& rate) { return std::max(1LL, (rate.num + rate.den / 2) / rate.den); }

long most_parts(long frames, long keyframes_every) { return (frames + keyframes_every - 1) / keyframes_every; }

part_span part_frames(long frames, long keyframes_every, int k, int n)
{
    // Cut i lies on the keyframe nearest to i/n of the render; keyframes are
    // shared out as evenly as they go, so no cut repeats while n <= most_parts.
    const long keyframes = most_parts(frames, keyframes_every);
    const auto cut = [&](int i) { return std::min(frames, keyframes * i / n * keyframes_every); };
    return {cut(k - 1), cut(k)};
}

std::string render_range(double from, double to, const frame_rate& rate)
{
    return "rows " + number_text(from) + "-" + number_text(to) + " at " + std::to_string(rate.num) + "/" +
           std::to_string(rate.den) + " fps";
}

std::string render_look(int width, bool column)
{
    return "width " + std::to_string(width) + (column ? ", column" : ", whole");
}

namespace {
constexpr char part_head[] = "swipemix-capture part ", sound_head[] = "swipemix-capture soundtrack of ";
}

std::string write_part_tag(const part_tag& t)
{
    return part_head + std::to_string(t.k) + "/" + std::to_string(t.n) + " frames " + std::to_string(t.span.first) +
           "-" + std::to_string(t.span.end) + " of " + std::to_string(t.frames) + "; " + t.range + "; " + t.look;
}

bool read_part_tag(const std::string& line, part_tag& t)
{
    if (line.rfind(part_head, 0) != 0)
        return false;
    int used = 0;
    if (std::sscanf(line.c_str() + std::strlen(part_head), "%d/%d frames %ld-%ld of %ld; %n", &t.k, &t.n, &t.span.first,
                    &t.span.end, &t.frames, &used) != 5 || used == 0)
        return false;
    const std::string rest = line.substr(std::strlen(part_head) + size_t(used));
    const size_t cut = rest.find("; ");
    if (cut == std::string::npos)
        return false;
    t.range = rest.substr(0, cut);
    t.look = rest.substr(cut + 2);
    return t.n > 0 && t.k >= 1 && t.k <= t.n && t.span.first >= 0 && t.span.first < t.span.end && t.span.end <= t.frames;
}

std::string write_sound_tag(const std::string& range) { return sound_head + range; }

std::string read_sound_tag(const std::string& line)
{
    return line.rfind(sound_head, 0) == 0 ? line.substr(std::strlen(sound_head)) : "";
}

std::string check_join(const std::vector<join_input>& parts, const join_input& sound)
{
    if (parts.empty())
        return "--join needs the parts to join";
    part_tag first;
    if (!read_part_tag(parts[0].tag, first))
        return parts[0].path + " is not a part made by swipemix-capture --part";
    long next_frame = 0;
    for (size_t i = 0; i < parts.size(); ++i) {
        const join_input& p = parts[i];
        part_tag t;
        if (!read_part_tag(p.tag, t))
            return p.path + " is not a part made by swipemix-capture --part";
        const std::string whose = t.range + ", " + t.look + ", " + std::to_string(t.n) + " parts";
        if (t.range != first.range || t.look != first.look || t.n != first.n || t.frames != first.frames)
            return p.path + " is a part of another render (" + whose + ") than " + parts[0].path + " (" + first.range +
                   ", " + first.look + ", " + std::to_string(first.n) + " parts)";
        const int expected = int(i) + 1;
        if (t.k < expected)
            return p.path + " is part " + std::to_string(t.k) + "/" + std::to_string(t.n) + " again, or out of order";
        if (t.k > expected || t.span.first != next_frame)
            return "part " + std::to_string(expected) + "/" + std::to_string(t.n) + " (frames from " +
                   std::to_string(next_frame) + " on) is missing before " + p.path;
        if (p.frames != t.span.end - t.span.first)
            return p.path + " holds " + std::to_string(p.frames) + " frames of its " +
                   std::to_string(t.span.end - t.span.first) + ": it was not finished";
        next_frame = t.span.end;
    }
    if (next_frame != first.frames)
        return "part " + std::to_string(parts.size() + 1) + "/" + std::to_string(first.n) + " (frames from " +
               std::to_string(next_frame) + " on) is missing after " + parts.back().path;
    const std::string sound_range = read_sound_tag(sound.tag);
    if (sound_range.empty())
        return sound.path + " is not a soundtrack made by swipemix-capture --sound-only";
    if (sound_range != first.range)
        return sound.path + " is the soundtrack of " + sound_range + ", not of the parts' " + first.range;
    return "";
}

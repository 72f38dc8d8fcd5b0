// The capture tool's command line: what to make, and the values it is made
// with, each checked before anything is rendered.
#pragma once
#include <cmath>
#include <string>
#include <vector>

#include "tools/common/frame_rate.h"

enum class capture_mode { none, video, sequence, still, entry, sheet, bench, atlas, sound, join, devices };

// Whether a mode draws the show's effects or records its sound: either hears the music.
inline bool draws_or_sounds(capture_mode m)
{
    return m != capture_mode::none && m != capture_mode::atlas && m != capture_mode::join && m != capture_mode::devices;
}

struct capture_options {
    capture_mode mode = capture_mode::none;
    const char* mode_option = nullptr; // the option that named the mode, for messages
    double at = 0, from = 0, to = -1, clock = NAN;
    bool from_given = false;
    frame_rate rate;
    int entry = -1, width = 1920;
    int part = 0, parts = 0; // --part K/N: the video holds the K-th of N parts, without sound
    int preview = 1;         // --bench at the studio's preview scale 1/N
    // Seconds without a frame before an effect is taken for endless; generous, since a capture has
    // no one to answer meanwhile, and a loaded machine or a wide back buffer is slow, not hung.
    double hang_after = 30;
    bool column = false;     // the video or the still holds only the 768-pixel column
    bool force = false;      // existing outputs may be overwritten
    bool keep_going = false; // render with effects that did not compile drawn by lower entries
    bool help = false;
    const char* output = nullptr;
    const char* target = nullptr; // --sheet, --atlas and --sound-only name their file
    std::vector<const char*> joined; // --join's parts, in order
    const char* sound = nullptr;     // the soundtrack --join adds
    const char* shader_dir = nullptr;
    const char* compare = nullptr;   // --bench: these effects timed against the run's own
    const char* music_dir = nullptr;
    const char* frame_times = nullptr; // per-frame render times of a video or sequence
    const char* timeline = nullptr;    // an edited timeline text in place of the built-in one
};

std::string capture_help();

// Fills `o` from the arguments. Empty when they make sense together; else one
// line naming the option, its value and what is allowed.
std::string parse_capture_options(int argc, char** argv, capture_options& o);

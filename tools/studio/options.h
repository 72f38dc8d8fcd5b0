// The studio's command line.
#pragma once
#include <string>

#include "tools/rocket/rocket_link.h"

struct studio_options {
    const char* shader_dir;     // default: the source tree's effects
    std::string timeline_path;  // default: the source tree's timeline
    const char* music_dir = "Music";
    bool rocket = false;
    rocket_address editor;
    double start_row = 0;
    bool paused = false;
    double loop_start = 0, loop_end = -1; // loop_end < 0: no loop
    std::string shots = ".";              // where shots and renders go
    const char* costs = nullptr;          // frame times to colour the strip with
    int preview = 0;          // 1, 2 or 4; 0: auto
    double budget_ms = 83;    // auto's time for a frame
    bool list_devices = false; // only list the Vulkan devices
};

// Fills `o` from the arguments. 0: run; 1: --help asked for; 2: bad
// arguments, with one line saying what is wrong in `error` (empty for an
// unknown option, which the usage answers).
int read_studio_options(int argc, char** argv, studio_options& o, std::string& error);

extern const std::string studio_help;

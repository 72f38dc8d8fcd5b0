// The show's command line, and the frame rate --adaptive holds.
#pragma once
#include <string>

struct show_options {
    bool list_devices = false;
    bool help = false;
    bool adaptive = false;             // the governor picks each frame's scale
    int target_fps = 0;                // with --adaptive; 0 for the device's default
    bool show_scale = false;           // the scale in use drawn in a corner
    const char* frame_times = nullptr; // a file with a line per presented frame
};

// False, with the reason in `error`, for an option the show does not know, a
// missing or bad value, or an adaptive option without --adaptive.
bool parse_show_options(int argc, char** argv, show_options& options, std::string& error);

// The frames a second --adaptive holds: the one asked for, else the display's
// refresh (60 when unknown) at most 60, and 30 on a CPU device, which cannot
// draw more than a few effects' frames a second at full scale anyway.
int adaptive_target_fps(int asked, int refresh_hz, bool cpu_device);

// The governor's budget for a frame at that rate. A tenth more than the
// period: at the display's own rate frames come a little late or early, and
// that alone must not make the picture coarser.
double adaptive_budget_ms(int fps);

// What the studio lays over the picture: the display Tab toggles, the lines
// that must be seen (compiler and packing errors, notices), and a strip
// showing where in the show the frame is.
#pragma once
#include <string>
#include <vector>

#include "timeline/sync.h"

struct studio_view {
    double row;
    bool paused;
    int track;                 // the music playing, = the entry it belongs to
    double music_seconds;      // how far into it
    double music_length;
    double frame_ms;           // smoothed time between presents
    double loop_start, loop_end; // loop_end < 0: no loop
    const float* values;       // the 17 track values of this frame
};

// The display's lines, top to bottom.
std::vector<std::string> display_lines(const studio_view& view);

// Draws into the back buffer, after the passes: the display and the strip
// when `shown`, and `messages` (lines, wrapped to the width) at the bottom.
void draw_studio_screen(const studio_view& view, bool shown, const std::vector<std::string>& messages);

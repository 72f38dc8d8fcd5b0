// What the studio lays over the picture: the display Tab toggles, the lines
// that must be seen (compiler and packing errors, notices), and a strip
// along the show: where the frame is, the music and what each row costs.
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
    int scale;                 // the effects drawn at 1/scale of the column's size
    bool automatic;            // the scale is the governor's
    double loop_start, loop_end; // loop_end < 0: no loop
    const float* values;       // the 17 track values of this frame
    const float* envelope = nullptr; // the music's loudness at each row (0 ... 1), or null
    const int* tracks = nullptr;     // the music at each row, or null
    std::string link = {};           // the editor link's state; empty without one
    std::string compare = {};        // the A/B view's line, after a save
    std::vector<std::string> log = {}; // the last notices, oldest first
    const std::vector<std::string>* help = nullptr; // the keys, over the picture; null: hidden
    const unsigned char* difference = nullptr; // W x frame_height grey laid over the column; or null
};

// The strip along the bottom of the back buffer: the music's envelope with
// the row grid, the cost of each row, and where the frame is. Clicks there seek.
constexpr int strip_height = 56;

// The display's lines, top to bottom.
std::vector<std::string> display_lines(const studio_view& view);

// Draws into the back buffer, after the passes: the display and the strip
// when `shown`, and `messages` (lines, wrapped to the width) at the bottom.
void draw_studio_screen(const studio_view& view, bool shown, const std::vector<std::string>& messages);

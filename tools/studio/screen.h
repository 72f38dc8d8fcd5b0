// What the studio lays over the picture: the display Tab toggles, the lines
// that must be seen (compiler and packing errors, notices), and a strip
// along the show: where the frame is, the music and what each row costs.
#pragma once
#include <string>
#include <vector>

#include "timeline/sync.h"
#include "timeline/source.h"
#include "tools/studio/beat_marks.h"
#include "tools/studio/layout.h"
#include "tools/studio/strip_view.h"

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
    const float* envelope = nullptr; // the music's loudness (music_envelope), or null
    const int* tracks = nullptr;     // the music at each row, or null
    std::string link = {};           // the editor link's state; empty without one
    strip_view strip = {};           // the part of the show the strip spans
    const beat_marks* beats = nullptr;
    int chosen = -1;                         // the track whose keys the strip marks; -1: none
    const source_track* chosen_keys = nullptr; // its keys
    const sync_tables* tables = nullptr;     // the timeline playing, for its curve
    std::string compare = {};        // the A/B view's line, after a save
    std::vector<std::string> log = {}; // the last notices, oldest first
    const std::vector<std::string>* help = nullptr; // the keys, over the picture; null: hidden
    const unsigned char* difference = nullptr; // W x frame_height grey laid over the column; or null
};

// The display's lines, top to bottom.
std::vector<std::string> display_lines(const studio_view& view);

// Draws into the back buffer, after the passes: the column fitted into its
// place, and in theirs the display and the strip (where `layout` has them)
// and `messages` (lines, wrapped to their width). The strip: the music's
// envelope with the row grid, the cost of each row, and where the frame is.
void draw_studio_screen(const studio_view& view, const studio_layout& layout, const std::vector<std::string>& messages);

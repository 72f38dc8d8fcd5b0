// The scale the studio draws each frame at: the author's choice (Q cycles
// full, 1/2, 1/4 and auto), the governor's under auto, and while paused a
// quick preview followed by one frame at full scale, so a still is exact.
#pragma once

#include "driver/governor.h"

constexpr int preview_auto = 0;

struct preview_state {
    int mode = preview_auto; // 1, 2, 4 or preview_auto
    double budget_ms = 83;
    governor_state governor;
    bool exact_owed = false; // a preview still is on screen; the full-scale frame follows
};

// Full, 1/2, 1/4, auto, full, ...
void cycle_preview_mode(preview_state& p);
// The scale frames are drawn at while playing: the mode's, or the governor's.
int playing_scale(const preview_state& p);
// The scale to draw at this time round the loop, or 0 to draw nothing. Playing,
// every frame is drawn; paused, only after a change, first at the playing
// scale and then, with nothing changed since, once at full scale. With
// `exact` (a shot is taken of it) the frame is drawn at full scale now.
int scale_to_draw(preview_state& p, bool paused, bool changed, bool exact = false);
// A frame drawn at `scale` while playing took `ms`: the governor's input.
void frame_timed(preview_state& p, int scale, double ms);

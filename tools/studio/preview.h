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
// What one time round the studio's loop saw, for the choice of frame.
struct loop_facts {
    bool was_playing, paused;  // before the keys and the clock, and after them
    double row_before, row;
    bool new_shaders;          // effects swapped in at this boundary
    bool changed;              // the picture on screen is not this frame's
    bool relabelled;           // the display's lines differ from those on screen
    bool shot;                 // a shot is taken of this frame
};
// The scale to draw at, or 0 for nothing (scale_to_draw), with the exact frame
// at once where a quick one would only stand in for it: a shot; a stop where
// the frame stands, whose quick frame is on screen already; and new lines
// alone over a paused picture, which leave it as it was. So a render's
// progress or a notice never holds a quick frame on screen.
int frame_scale(preview_state& p, const loop_facts& f);
// A frame drawn at `scale` while playing took `ms`: the governor's input.
void frame_timed(preview_state& p, int scale, double ms);

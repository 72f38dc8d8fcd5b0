// Where the studio puts things in the back buffer (W x 1080): the column,
// fitted above the strip, and the display and the messages in the space
// beside it, so that no panel lies over what the show draws.
#pragma once

struct layout_rect {
    int x = 0, y = 0, width = 0, height = 0;
};

struct studio_layout {
    layout_rect column;   // the column, scaled to fit; where the show draws it when the panels are hidden
    layout_rect strip;    // along the bottom, the whole width; empty when hidden
    layout_rect display;  // the display's lines; empty when hidden
    layout_rect messages; // errors, notices, progress: beside the column, or over it where there is no room
};

constexpr int strip_base_height = 140;  // back-buffer pixels in a window 1080 lines high or more
constexpr int strip_least_on_screen = 96; // window pixels: shorter, its marks cannot be read
constexpr int panel_least_width = 360;  // back-buffer pixels the display's lines need

// The layout of a back buffer `back_width` wide (1080 high) shown in a window
// `window_height` pixels high, with the panels and strip or without them.
studio_layout lay_out(int back_width, int window_height, bool panels_shown);

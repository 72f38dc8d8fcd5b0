// The studio's window: resizable, with a title, keys that mean the
// transport's moves, the pointer, and waits between frames. SDL2 stays in
// driver/window.cpp with the show's window.
#pragma once

#include "driver/window.h"

// The studio's ordinary, resizable window with a title.
bool create_studio_window(int width, int height);
enum class studio_key {
    none, pause, back, forward, back_far, forward_far, previous_entry, next_entry, start,
    loop_start, loop_end, loop_clear, toggle_display, shot, shot_whole, render, press, drag, preview_scale, resized,
    exposed, quit
};
// The next key press waiting, as what it means in the studio; none when no
// event is left. A closed window reads as quit; a size that changes
// window_back_buffer_width reads as resized; a window uncovered reads as exposed.
// The wheel steps like Left and Right;
// the left button reads as press, and moving with it held as drag, at
// pointer_at(). The cursor shows only while the mouse moves.
studio_key next_studio_key();
// Where the last press or drag was, as fractions of the window's width and height.
void pointer_at(double& x, double& y);
// Sleeps until an event is waiting (left on the queue) or `seconds` pass.
void wait_for_event(double seconds);
void set_window_title(const char* title);
// Between frames that are slow to come: whether Escape was pressed or the
// window closed, leaving every event for next_studio_key.
bool quit_asked();

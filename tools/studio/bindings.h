// The studio's keys: one table from a key (or a wheel notch) and its
// modifiers to a command, with the words a help screen prints for each.
#pragma once

#include <string>
#include <vector>

#include "driver/studio_window.h"

enum class studio_command {
    none, pause, back, forward, back_far, forward_far, previous_entry, next_entry, start,
    loop_start, loop_end, loop_clear, toggle_display, shot, shot_whole, render, preview_scale, end, help, full_screen, compare, quit,
    zoom_in, zoom_out, previous_beat, next_beat, track_up, track_down
};

struct binding {
    input_kind kind;  // key or wheel; press: a mouse action the help lists, no command
    int key;          // key: its input_key or character; wheel: +1 up, -1 down
    unsigned mods;    // the modifiers it needs; others held as well do not matter
    studio_command command;
    const char* keys; // as the author reads them: "Shift+Left"
    const char* what;
};

// In the order a help screen lists them; a binding with more modifiers comes
// before the same key with fewer, so it is the one found.
extern const binding studio_bindings[];
extern const int studio_binding_count;

// The command of the first binding that is the event's key or wheel notch
// and whose modifiers are all held; none for any other event.
studio_command command_for(const input_event& event);
// The help screen: a line for each binding, its keys then what they do.
std::vector<std::string> help_lines();

// The press before, for telling a double click.
struct last_press {
    unsigned time_ms = 0;
    double x = -1, y = -1;
};
// Whether `press` is the second of a double click: the window system says so,
// or it comes within 500 ms and 1 % of the window of the press before. Input
// is stamped when the studio takes it, between frames, so a frame drawn in
// between (`late_ms`) is allowed for too, which the window system's own count
// does not do. Remembers the press for the next.
bool double_click(last_press& last, const input_event& press, double late_ms);

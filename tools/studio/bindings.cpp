#include "tools/studio/bindings.h"

#include <cmath>
#include <cstdio>

namespace {
using enum studio_command;
constexpr input_kind k = input_kind::key, w = input_kind::wheel, m = input_kind::press;
}

const binding studio_bindings[] = {
    {k, ' ', 0, pause, "Space", "pause / resume"},
    {k, key_left, input_shift, back_far, "Shift+Left", "8 rows back"},
    {k, key_left, 0, back, "Left", "one row back, on whole rows"},
    {k, key_right, input_shift, forward_far, "Shift+Right", "8 rows forward"},
    {k, key_right, 0, forward, "Right", "one row forward, on whole rows"},
    {w, 1, input_ctrl, zoom_in, "Ctrl+wheel up", "zoom the strip in about the pointer"},
    {w, -1, input_ctrl, zoom_out, "Ctrl+wheel down", "zoom the strip out about the pointer"},
    {w, 1, input_shift, back_far, "Shift+wheel up", "8 rows back"},
    {w, 1, 0, back, "wheel up", "one row back (over a zoomed strip: scroll it)"},
    {w, -1, input_shift, forward_far, "Shift+wheel down", "8 rows forward"},
    {w, -1, 0, forward, "wheel down", "one row forward (over a zoomed strip: scroll it)"},
    {k, key_page_up, 0, previous_entry, "Page Up", "previous entry, where the feed has settled on it"},
    {k, key_page_down, 0, next_entry, "Page Down", "next entry, where the feed has settled on it"},
    {k, key_home, 0, start, "Home", "row 0"},
    {k, key_end, 0, end, "End", "the show's end"},
    {k, ',', 0, previous_beat, ",", "previous beat"},
    {k, '.', 0, next_beat, ".", "next beat"},
    {k, '=', 0, zoom_in, "+", "zoom the strip in about the playhead"},
    {k, '-', 0, zoom_out, "-", "zoom the strip out about the playhead"},
    {k, key_up, 0, track_up, "Up", "the strip shows the keys of the track above"},
    {k, key_down, 0, track_down, "Down", "the strip shows the keys of the track below"},
    {m, 0, 0, none, "click / drag on the strip", "seek there"},
    {m, 0, 0, none, "double click on the strip", "loop the stay of the music under it"},
    {k, '[', 0, loop_start, "[", "loop start at the current row"},
    {k, ']', 0, loop_end, "]", "loop end at the current row"},
    {k, '\\', 0, loop_clear, "\\", "clear the loop"},
    {k, key_f12, input_shift, shot_whole, "Shift+F12", "shot of the whole window at this row"},
    {k, key_f12, 0, shot, "F12", "shot of the column at this row"},
    {k, 'r', input_ctrl, render, "Ctrl+R", "render the loop (or the entry on screen) with its music"},
    {k, 'q', 0, preview_scale, "Q", "preview scale: full, 1/2, 1/4, auto"},
    {k, 'd', 0, compare, "D", "after a save: the entry as before it, as now, their difference"},
    {k, key_f11, 0, full_screen, "F11", "full screen / window"},
    {k, key_f1, 0, help, "F1", "this help / hide it"},
    {k, '?', 0, help, "?", "this help / hide it"},
    {k, '/', input_shift, help, "Shift+/", "this help / hide it"}, // ? where the layout types it so
    {k, '\t', 0, toggle_display, "Tab", "show / hide the display and the strip"},
    {k, key_escape, 0, quit, "Escape", "quit"},
};
const int studio_binding_count = sizeof studio_bindings / sizeof *studio_bindings;

studio_command command_for(const input_event& event)
{
    if (event.kind != input_kind::key && event.kind != input_kind::wheel)
        return none;
    const int key = event.kind == input_kind::key ? event.key : event.wheel;
    for (const binding& b : studio_bindings)
        if (b.kind == event.kind && b.key == key && (event.mods & b.mods) == b.mods)
            return b.command;
    return none;
}

std::vector<std::string> help_lines()
{
    // Neighbours that do the same share a line: "F1 or ?".
    std::vector<std::string> lines;
    for (int i = 0; i < studio_binding_count;) {
        std::string keys = studio_bindings[i].keys;
        int next = i + 1;
        for (; next < studio_binding_count && studio_bindings[next].command == studio_bindings[i].command &&
               std::string(studio_bindings[next].what) == studio_bindings[i].what;
             ++next)
            keys += std::string(" or ") + studio_bindings[next].keys;
        char line[200];
        std::snprintf(line, sizeof line, "%-26s %s", keys.c_str(), studio_bindings[i].what);
        lines.push_back(line);
        i = next;
    }
    return lines;
}

bool double_click(last_press& last, const input_event& press, double late_ms)
{
    const bool near = std::fabs(press.x - last.x) <= 0.01 && std::fabs(press.y - last.y) <= 0.01;
    const bool soon = press.time_ms - last.time_ms <= 500 + late_ms;
    const bool second = press.clicks == 2 || (last.x >= 0 && near && soon && press.clicks < 2);
    // A double click's second press starts no third: the next press is a first again.
    last = second ? last_press{} : last_press{press.time_ms, press.x, press.y};
    return second;
}

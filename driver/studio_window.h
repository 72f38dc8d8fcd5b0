// The studio's window: resizable, with a title, plain input events (keys with
// their modifiers, the pointer, the wheel, the window's size) and waits
// between frames. What a key means is the studio's business; SDL2 stays in
// driver/window.cpp with the show's window.
#pragma once

#include "driver/window.h"

// The studio's ordinary, resizable window with a title.
bool create_studio_window(int width, int height);

enum class input_kind { none, key, press, drag, wheel, resized, exposed, quit };

// Keys that type a character arrive as that character, unshifted and lower
// case (' ', 'q', '[', '\t' for Tab, 27 for Escape); the others as these.
enum input_key : int {
    key_escape = 27,
    key_left = 0x100, key_right, key_up, key_down, key_page_up, key_page_down, key_home, key_end,
    key_f1, key_f2, key_f3, key_f4, key_f5, key_f6, key_f7, key_f8, key_f9, key_f10, key_f11, key_f12,
    key_other // a key with no name here
};
enum input_modifier : unsigned { input_shift = 1, input_ctrl = 2, input_alt = 4 };

struct input_event {
    input_kind kind = input_kind::none;
    int key = 0;          // key: its input_key or character
    unsigned mods = 0;    // key, wheel: the input_modifier bits held
    int wheel = 0;        // wheel: +1 a notch up (away from the author), -1 down, whatever the system's direction
    double x = 0, y = 0;  // press, drag, wheel: the pointer as fractions of the window's width and height
    int clicks = 0;       // press: 1, 2 for a double click, ... as the window system counts them
    unsigned time_ms = 0; // press: when it came, in milliseconds since the window system started
};

// The next event waiting; kind none when none is left. A closed window reads
// as quit; a new size as resized (the same size again is dropped); a window
// uncovered as exposed. The left button reads as press, and moving with it
// held as drag. The cursor shows only while the
// mouse moves.
input_event next_input_event();
// The window's height in its own pixels, at its making or as last reported.
int window_pixel_height();
// Sleeps until an event is waiting (left on the queue) or `seconds` pass.
void wait_for_event(double seconds);
void set_window_title(const char* title);
// The window over the whole screen, or back to the size it had; its new size
// arrives as resized.
void toggle_full_screen();
// Between frames that are slow to come: whether Escape was pressed or the
// window closed, leaving every event for next_input_event.
bool quit_asked();

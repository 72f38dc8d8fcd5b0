// The show window and its keyboard, through SDL2.
#pragma once

#include "graphics/device.h"

// Borderless, top-most, covering the current display, no title, no cursor.
// Sets W from the window's size. Returns false (after a line on stderr) when
// no window can be made.
bool create_window();
// What the device needs to present into the window.
window_link show_window_link();
// Takes at most one pending event off the queue, as the frame loop does.
void pump_one_message();
// Escape is down now or was pressed since the previous call.
bool escape_requested();

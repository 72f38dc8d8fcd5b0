// The show window and its keyboard, through SDL2; the studio's window adds
// its own calls in driver/studio_window.h.
#pragma once

#include "graphics/device.h"

// Borderless, top-most, covering the current display, no title, no cursor.
// Returns false (after a line on stderr) when no window can be made.
bool create_window();
// The width of a back buffer frame_height lines high with the window's
// aspect: at its making, or at the size next_input_event last reported.
int window_back_buffer_width();
// The refresh rate of the window's display in Hz, 0 when unknown.
int display_refresh_hz();
// What the device needs to present into the window.
window_link show_window_link();
// Takes at most one pending event off the queue, as the frame loop does.
void pump_one_message();
// Escape is down now or was pressed since the previous call.
bool escape_requested();

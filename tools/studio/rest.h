// The studio with nothing to draw, and a count of what it drew: SIGUSR1 prints
// the frames presented so far and how long the last still took to become
// exact, so a test or an author can see that a paused studio draws nothing.
// SIGTERM, SIGHUP and SIGINT ask it to end in order, as Escape does.
#pragma once

// Once at start.
void count_frames_on_signal();
// Once started: from here on those signals end it in order, not at once.
void end_in_order_on_signals();
// The signal that asked the studio to end; 0 while none did.
int end_signal();
// Sleeps until a key or window event, or until the files and the editor's
// link are due to be looked at again.
void rest();
// After each present of a frame at `row` and `scale`: `exact_still` for a
// paused frame at full scale, `since_change` the seconds since the change it
// shows (a stop, a step, a reload) was seen.
void count_present(double row, int scale, bool exact_still, double since_change);
// Prints the counts to stderr when SIGUSR1 came since the last call.
void report_if_asked();

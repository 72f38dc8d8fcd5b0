// Ctrl-C and SIGTERM in the capture tool. While nothing is being written the
// tool ends at once with one line; while a file is being written the signal
// is only noted, and the writing loop stops at the end of its frame so that
// the file stays whole.
#pragma once

// Installs the handlers (without restarting interrupted calls, so that a
// write waiting on a stuck pipe returns).
void catch_stop_signals();
// From here on a signal is noted rather than acted on: for loops that write
// a file frame by frame.
void defer_stop();
// The signal noted while deferred, or 0.
int stop_signal();
// What the stop is called in messages: "interrupted" or "terminated".
const char* stop_word();
// The exit status for the noted signal: 128 + its number.
int stop_status();

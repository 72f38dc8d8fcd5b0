// The show clock, in rows of 1/8 second since start_clock.
#pragma once

// Pins the clock at `row` for the rest of the run, holding one moment on
// screen; -1, the default, runs it live.
void freeze_clock(float row);
void start_clock();
double clock_now();
bool clock_is_live();

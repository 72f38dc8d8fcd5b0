// An effect caught in an endless loop: the CPU driver cannot stop it, so the
// capture's waits on the device are watched, and after far longer than any
// frame takes the run ends naming the effect, instead of waiting for ever.
#pragma once

// From here on, after `least_seconds` without a frame (more while many shaders
// run for the first time); `shader_dir` (or null for the built-in texts) tells
// which effect was saved last, the likeliest to loop.
void end_on_endless_effects(const char* shader_dir, double least_seconds);

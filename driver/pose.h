// Frames posed by hand rather than reached by playing the show, for the tools
// and tests that draw one entry at rest.
#pragma once

// Zoom 1 and time offset 0 for either parity, gain 1, blur 0, gamma 1: the
// entry as its own shader draws it, the other sync values left as they are.
void pose_plain();

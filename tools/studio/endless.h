// An effect that never finishes a frame. The CPU driver cannot stop it, so
// the studio waits on the device in steps: Escape still quits at once, the
// effect it suspects is named on stderr and in the window's title, and once an
// effect file is saved the studio starts itself afresh in the same place,
// the rows' costs measured so far kept.
// A GPU's driver that stops the effect and loses the device is met the same way.
#pragma once
#include "tools/studio/transport.h"

// From here on; `place` is where a restart puts the studio, `entries` the
// entry on screen at each whole row, for the costs it takes along.
void watch_for_endless_effects(int argc, char** argv, const char* shader_dir, const transport_state* place,
                               const int* entries);

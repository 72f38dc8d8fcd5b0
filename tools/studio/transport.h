// Where the studio's keys move the show: pure bookkeeping over rows.
#pragma once

#include "tools/studio/bindings.h"
#include "shared/state.h"
#include "timeline/sync.h"
#include "tools/studio/strip_view.h"

struct transport_state {
    double row;
    bool paused;
    double loop_start, loop_end; // loop_end < 0: no loop
};

// Applies one command. Returns true when the row jumped, so the show must be
// re-stepped to it; pause, loop keys and quit only change the state. Steps
// land on whole rows; the entry keys on the rows `settled` gives (where the
// feed rests on each entry; -1: never), Page Up from inside an entry on the
// entry before it.
bool apply_key(transport_state& t, studio_command key, const int settled[entry_count]);
// The whole row at `fraction` (0 ... 1) of the width of a strip showing `view`.
double strip_row(const strip_view& view, double fraction);
// While looping, a row at or past the loop's end goes back to its start.
bool wrap_loop(transport_state& t);

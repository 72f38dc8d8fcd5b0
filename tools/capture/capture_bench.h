// The capture's --bench: each entry's time per frame, alone or beside the
// same entry drawn with another folder's effects.
#pragma once
#include "tools/capture/capture_options.h"

// Prints the table to stdout; the exit status of the run.
int bench(const capture_options& o);

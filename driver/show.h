// The show: builds everything in a fixed order, then runs frames until Escape
// or show time passes the last row. Returns only when start-up fails.
#pragma once

#include "driver/show_options.h"

int run_show(const show_options& options = {});

// Writes the author's keys back as the timeline source, keeping the previous file beside it.
#pragma once
#include <string>

#include "tools/studio/rocket_keys.h"

// Writes path (the old file kept as path + ".bak"); returns the line for the screen.
std::string rocket_save(const rocket_source& keys, const std::string& path);

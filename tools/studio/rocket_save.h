// Writes the author's keys back as the timeline source, keeping the previous file beside it.
#pragma once
#include <string>

#include "tools/studio/rocket_keys.h"

// The source text: per track its name and scale byte, then one key per line as row, value and mode name.
std::string rocket_format_source(const rocket_source& source);

// Writes path (the old file kept as path + ".bak"); returns the line for the screen.
std::string rocket_save(const rocket_source& source, const std::string& path);

// Writes the author's keys back as the timeline source, keeping the previous file beside it.
#pragma once
#include <string>

#include "tools/rocket/rocket_keys.h"

// Rewrites path with the keys, keeping the notes the file has (the old file kept as
// path + ".bak"). Keys the file's reader would refuse (values not finite or beyond
// their track's range, rows past the show's end) are not written: the file keeps what
// it had at their rows. All or nothing: a save that fails leaves the file, its
// backup and the folder as they were. Returns the one line for the screen, which
// lists the keys left out and, on failure, the reason.
std::string rocket_save(const rocket_source& keys, const std::string& path);

// Writes the author's keys back as the timeline source, keeping the previous file beside it.
#pragma once
#include <string>

#include "tools/rocket/rocket_keys.h"

// Rewrites path with the keys, keeping the notes the file has (the old file kept as
// path + ".bak"). Keys the file's reader would refuse (values not finite or beyond
// their track's range, rows past the show's end) are not written: the file keeps what
// it had at their rows. All or nothing: a save that fails leaves the file, its
// backup and the folder as they were. A symbolic link is saved through: the file
// it leads to is written, and the link stays; a file with other hard links is
// written over in place, so they all see the save. Returns the one line for the
// screen, which lists the keys left out, says when the build would refuse the
// file as saved (and why), and on failure gives the reason.
std::string rocket_save(const rocket_source& keys, const std::string& path);

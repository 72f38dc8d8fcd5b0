// The timeline source edited while the studio runs: re-packed with the build's
// own packer when saved, and swapped in at a frame boundary. A file that does
// not pack keeps the last good timeline playing.
#pragma once
#include <memory>
#include <string>

#include "timeline/source.h"

// Reads and packs the file at `path` now, on the calling thread.
void reload_timeline(const std::string& path);
// Watches the file's folder from now on, before the file is first read, so
// that no save is missed; follow_timeline_file reloads what was saved.
void watch_timeline(const std::string& path);
// Reloads whenever the file is saved, the saves since watch_timeline included.
void follow_timeline_file();
// At a frame boundary: the newest good timeline not yet taken, else null.
std::shared_ptr<const packed_timeline> take_timeline();
// Why the file's current text is not playing; empty when it is.
std::string timeline_errors();
// The keys of the last good text (for an editor link to start from).
timeline_source last_good_source();

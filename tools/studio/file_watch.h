// Files saved into a folder, seen through inotify on a thread of its own.
#pragma once
#include <functional>
#include <string>

// Calls `saved` on the watcher's thread with the name of every file in `dir`
// written and closed, or renamed into it (how editors save). False, after a
// line on stderr, when the folder cannot be watched.
bool watch_folder(const std::string& dir, std::function<void(const std::string& name)> saved);

// Files saved into a folder, seen through inotify on a thread of its own.
#pragma once
#include <functional>
#include <string>

struct folder_watch {
    int fd = -1; // the inotify instance; -1 when the folder cannot be watched
    std::string dir;
};

// Watches `dir` from now on: a save made before follow_folder starts is kept
// for it, so the folder can be watched first and read after. `fd` is -1,
// after a line on stderr, when it cannot be watched.
folder_watch watch_folder(const std::string& dir);
// Calls `saved` on a thread of its own with the name of every file in the
// folder written and closed, or renamed into it (how editors save). When the
// folder itself is deleted or moved away, the watch waits for one at its path
// again, says so, and calls `replaced`: anything in it may have changed.
void follow_folder(folder_watch watch, std::function<void(const std::string& name)> saved,
                   std::function<void()> replaced);

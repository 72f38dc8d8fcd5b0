#include "tools/studio/file_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

bool watch_folder(const std::string& dir, std::function<void(const std::string& name)> saved)
{
    const int watch = inotify_init1(IN_CLOEXEC);
    if (watch < 0 || inotify_add_watch(watch, dir.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO) < 0) {
        std::fprintf(stderr, "swipemix-studio: cannot watch %s: %s\n", dir.c_str(), std::strerror(errno));
        if (watch >= 0)
            close(watch);
        return false;
    }
    std::thread([watch, saved = std::move(saved)] {
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            const ssize_t got = read(watch, buffer, sizeof buffer);
            if (got <= 0)
                return;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len)
                    saved(event->name);
                at += ssize_t(sizeof *event + event->len);
            }
        }
    }).detach();
    return true;
}

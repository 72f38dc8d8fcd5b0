#include "tools/studio/file_watch.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {
constexpr uint32_t events = IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;
constexpr int look_again_ms = 200; // how often a folder that went is looked for at its path

int arm(int fd, const std::string& dir) { return inotify_add_watch(fd, dir.c_str(), events | IN_ONLYDIR); }
}

folder_watch watch_folder(const std::string& dir)
{
    folder_watch w{inotify_init1(IN_CLOEXEC), dir};
    if (w.fd < 0 || arm(w.fd, dir) < 0) {
        std::fprintf(stderr, "swipemix-studio: cannot watch %s: %s\n", dir.c_str(), std::strerror(errno));
        if (w.fd >= 0)
            close(w.fd);
        w.fd = -1;
    }
    return w;
}

void follow_folder(folder_watch w, std::function<void(const std::string& name)> saved,
                   std::function<void()> replaced)
{
    if (w.fd < 0)
        return;
    std::thread([w, saved = std::move(saved), replaced = std::move(replaced)] {
        alignas(inotify_event) char buffer[4096];
        bool armed = true; // the folder at the path is watched
        for (;;) {
            if (!armed) {
                pollfd p = {w.fd, POLLIN, 0};
                poll(&p, 1, look_again_ms); // the old watch's last events are drained meanwhile
                if (arm(w.fd, w.dir) >= 0) {
                    armed = true;
                    std::fprintf(stderr, "swipemix-studio: %s is back; reading it again\n", w.dir.c_str());
                    replaced();
                }
                if (!(p.revents & POLLIN))
                    continue;
            }
            const ssize_t got = read(w.fd, buffer, sizeof buffer);
            if (got <= 0)
                return;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                at += ssize_t(sizeof *event + event->len);
                if (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF)) {
                    // A moved folder is still watched where it went: that watch goes too.
                    inotify_rm_watch(w.fd, event->wd);
                    if (armed) {
                        armed = false;
                        std::fprintf(stderr, "swipemix-studio: %s went away; waiting for it to come back\n",
                                     w.dir.c_str());
                    }
                } else if (event->len && armed) {
                    saved(event->name);
                }
            }
        }
    }).detach();
}

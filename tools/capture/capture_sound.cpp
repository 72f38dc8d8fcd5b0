#include "tools/capture/capture_sound.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "music/playback.h"
#include "timeline/sync.h"
#include "tools/stepped/stepped_show.h"

int record_soundtrack(const frame_rate& rate, double from, double to)
{
    const int fd = memfd_create("swipemix-soundtrack", MFD_CLOEXEC);
    static unsigned char piece[1 << 16];
    long long samples_done = 0;
    bool kept = fd >= 0;
    const auto until = [&](double rows, bool keep) {
        const long long target = std::llround(rows * row_seconds * 44100);
        while (kept && samples_done < target) {
            const size_t bytes = size_t(std::min<long long>(target - samples_done, sizeof piece / 4)) * 4;
            pull_samples(piece, uint32_t(bytes));
            for (size_t at = 0; keep && kept && at < bytes;) {
                const ssize_t n = write(fd, piece + at, bytes - at);
                kept = n > 0 || (n < 0 && errno == EINTR);
                at += size_t(std::max<ssize_t>(n, 0));
            }
            samples_done += static_cast<long long>(bytes / 4);
        }
    };
    const double frame_rows = frame_row(rate, 0, 1);
    step_show(
        rate, from, to,
        [&](long, double rows) {
            until(rows + frame_rows, true);
            return kept;
        },
        [&](double rows) { until(std::min(rows + frame_rows, from), false); }, nullptr, false);
    if (kept)
        return fd;
    std::fprintf(stderr, "swipemix-capture: no room for the soundtrack: %s\n", std::strerror(errno));
    if (fd >= 0)
        close(fd);
    return -1;
}

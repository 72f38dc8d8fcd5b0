#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "music/tracks.h"

namespace {
// Reads the whole file into a fresh malloc block. Returns why it could not, or nullptr.
const char* read_file(const char* path, unsigned char*& bytes, uint32_t& size)
{
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::strerror(errno);
    struct stat st;
    const char* problem = nullptr;
    if (fstat(fd, &st) != 0)
        problem = std::strerror(errno);
    else if (!S_ISREG(st.st_mode))
        problem = "not a regular file";
    else if (uint64_t(st.st_size) > UINT32_MAX)
        problem = "larger than 4 GiB";
    else if (!(bytes = static_cast<unsigned char*>(std::calloc(st.st_size ? st.st_size : 1, 1))))
        problem = "out of memory";
    size = 0;
    while (!problem && size < uint64_t(st.st_size)) {
        const ssize_t n = read(fd, bytes + size, st.st_size - size);
        if (n < 0 && errno != EINTR)
            problem = std::strerror(errno);
        else if (n == 0)
            break; // the file shrank while we read it; decode what is there
        else if (n > 0)
            size += uint32_t(n);
    }
    close(fd);
    if (problem) {
        std::free(bytes);
        bytes = nullptr;
    }
    return problem;
}

// One line per bad file, so that a user finds which one to replace.
void report(const char* path, const music_track& track, uint32_t size, uint32_t status)
{
    const double decoded = last_decode.decoded_bytes / double(pcm_bytes_per_second);
    if (status != track_ok)
        std::fprintf(stderr, "swipemix: no MP3 decoder for %s; its track stays silent\n", path);
    else if (size == 0)
        std::fprintf(stderr, "swipemix: %s is empty; its track stays silent\n", path);
    else if (track.pcm_bytes == 0 || last_decode.decoded_bytes == 0)
        std::fprintf(stderr, "swipemix: %s holds no MP3 audio; its track stays silent\n", path);
    else if (decoded + 1.0 < track.duration)
        std::fprintf(stderr, "swipemix: %s is cut short: %.1f of its %.1f s decode; the rest stays silent\n", path,
                     decoded, track.duration);
}
}

void load_tracks()
{
    for (int k = 0; k < entry_count; ++k)
        load_track(track_table[k], track_paths[k]);
}

uint32_t load_track(music_track& track, const char* path)
{
    unsigned char* bytes = nullptr;
    uint32_t size = 0;
    if (const char* problem = read_file(path, bytes, size)) {
        std::fprintf(stderr, "swipemix: cannot read %s (%s); its track stays silent\n", path, problem);
        track = {};
        return track_failed;
    }
    const uint32_t status = decode_track(track, bytes, size);
    std::free(bytes);
    report(path, track, size, status);
    return status;
}

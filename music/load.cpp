#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "music/stream_header.h"
#include "music/tracks.h"

namespace {
constexpr uint64_t mib = 1 << 20;

// Why a file of this kind and size is not read, or nullptr.
const char* refusal(const struct stat& st)
{
    static const std::string too_large =
        "larger than " + std::to_string(max_music_file_mib) + " MiB, the most a music file may be";
    if (!S_ISREG(st.st_mode))
        return "not a regular file";
    if (uint64_t(st.st_size) <= max_music_file_mib * mib)
        return nullptr;
    return too_large.c_str();
}

// Opens a regular file within the size limit. Its kind is checked before the
// open, which never waits: opening a FIFO for reading waits for a writer.
const char* open_music_file(const char* path, int& fd, uint32_t& size)
{
    struct stat st;
    if (stat(path, &st) != 0)
        return std::strerror(errno);
    if (const char* why = refusal(st))
        return why;
    fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return std::strerror(errno);
    // The path may name something else by now.
    const char* why = fstat(fd, &st) != 0 ? std::strerror(errno) : refusal(st);
    if (why)
        close(fd);
    else
        size = uint32_t(st.st_size);
    return why;
}

// Reads on until end bytes are in. Returns why it could not, or nullptr.
const char* read_to(int fd, unsigned char* bytes, uint32_t& size, uint64_t end)
{
    while (size < end) {
        const ssize_t n = read(fd, bytes + size, end - size);
        if (n < 0 && errno != EINTR)
            return std::strerror(errno);
        if (n == 0)
            break; // the file shrank while we read it; decode what is there
        if (n > 0)
            size += uint32_t(n);
    }
    return nullptr;
}

// Reads the file into a fresh malloc block, or its first part only when that
// holds no MP3 frame (junk is then set). Returns why it could not, or nullptr.
const char* read_file(mp3_decoder& decoder, const char* path, unsigned char*& bytes, uint32_t& size, bool& junk)
{
    int fd = -1;
    uint32_t file_size = 0;
    size = 0;
    junk = false;
    if (const char* why = open_music_file(path, fd, file_size))
        return why;
    const char* problem = nullptr;
    if (!(bytes = static_cast<unsigned char*>(std::calloc(file_size ? file_size : 1, 1))))
        problem = "out of memory";
    else if (!(problem = read_to(fd, bytes, size, std::min<uint64_t>(file_size, probe_mib * mib)))) {
        const uint64_t probe_end = std::min<uint64_t>(file_size, id3v2_bytes(bytes, size) + probe_mib * mib);
        problem = read_to(fd, bytes, size, probe_end);
        junk = !problem && size < file_size && !holds_mp3_frame(decoder, bytes, size, file_size);
        if (!problem && !junk)
            problem = read_to(fd, bytes, size, file_size);
    }
    close(fd);
    if (problem) {
        std::free(bytes);
        bytes = nullptr;
    }
    return problem;
}

// One line per bad file, so that a user finds which one to replace.
void report(mp3_decoder& decoder, const char* path, const music_track& track, uint32_t size, uint32_t status)
{
    const decode_report& seen = decoder.report;
    const double decoded = seen.decoded_bytes / double(pcm_bytes_per_second);
    char* said = decoder.said;
    const size_t room = sizeof decoder.said;
    if (status != track_ok)
        std::snprintf(said, room, "swipemix: no MP3 decoder for %s; its track stays silent\n", path);
    else if (size == 0)
        std::snprintf(said, room, "swipemix: %s is empty; its track stays silent\n", path);
    else if (track.pcm_bytes == 0 || seen.decoded_bytes == 0)
        std::snprintf(said, room, "swipemix: %s holds no MP3 audio; its track stays silent\n", path);
    else if (seen.header_seconds > 0.0)
        std::snprintf(said, room,
                      "swipemix: %s claims %.1f s in its header but its frames hold %.1f s; its track keeps to the frames\n",
                      path, seen.header_seconds, track.duration);
    else if (decoded + 1.0 < track.duration)
        std::snprintf(said, room, "swipemix: %s is cut short: %.1f of its %.1f s decode; the rest stays silent\n", path,
                      decoded, track.duration);
}

// Every entry's track from paths[k], the files shared out among the cores.
// Each file has a decoder of its own; the lines are said in entry order.
void load_all(const std::string* paths)
{
    const std::unique_ptr<mp3_decoder[]> decoders(new mp3_decoder[entry_count]()); // 130 KiB each
    std::atomic<int> next{0};
    auto work = [&] {
        for (int k; (k = next++) < entry_count;)
            load_track(decoders[k], track_table[k], paths[k].c_str());
    };
    const int threads = int(std::clamp(std::thread::hardware_concurrency(), 1u, unsigned(entry_count)));
    std::thread helpers[entry_count];
    for (int t = 1; t < threads; ++t)
        helpers[t] = std::thread(work);
    work();
    for (int t = 1; t < threads; ++t)
        helpers[t].join();
    for (int k = 0; k < entry_count; ++k)
        std::fputs(decoders[k].said, stderr);
}

std::thread loader;
}

void load_tracks()
{
    std::string paths[entry_count];
    for (int k = 0; k < entry_count; ++k)
        paths[k] = track_paths[k];
    load_all(paths);
}

void start_loading_tracks()
{
    loader = std::thread([] {
        // The shaders' compiles come first: the clock waits for those and for
        // the tracks alike, and the first picture for the compiles alone.
        // The decoding threads this one starts inherit its lower priority;
        // not the lowest, which a busy machine would starve for seconds.
        setpriority(PRIO_PROCESS, pid_t(gettid()), 10);
        load_tracks();
    });
}

void wait_for_tracks() { loader.join(); }

bool load_tracks_from(const char* dir)
{
    std::string paths[entry_count];
    bool any = false;
    for (int k = 0; k < entry_count; ++k) {
        paths[k] = dir + std::string(std::strchr(track_paths[k], '/'));
        any |= access(paths[k].c_str(), R_OK) == 0;
    }
    if (!any) {
        for (music_track& track : track_table)
            track = {};
        return false;
    }
    load_all(paths);
    return true;
}

uint32_t load_track(mp3_decoder& decoder, music_track& track, const char* path)
{
    unsigned char* bytes = nullptr;
    uint32_t size = 0;
    bool junk;
    track = {};
    decoder.said[0] = 0;
    if (const char* problem = read_file(decoder, path, bytes, size, junk)) {
        std::snprintf(decoder.said, sizeof decoder.said, "swipemix: cannot read %s (%s); its track stays silent\n", path,
                      problem);
        return track_failed;
    }
    if (junk) {
        std::snprintf(decoder.said, sizeof decoder.said,
                      "swipemix: %s holds no MP3 audio in its first %u MiB; its track stays silent\n", path, probe_mib);
        std::free(bytes);
        return track_ok;
    }
    const uint32_t status = decode_track(decoder, track, bytes, size);
    std::free(bytes);
    report(decoder, path, track, size, status);
    return status;
}

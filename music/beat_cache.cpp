#include "music/beat_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "music/tracks.h"

namespace {
// The key of the regular file at path (no FIFO is waited on, nothing too big
// for a music file is read), or false.
bool key_of_file(const char* path, uint64_t& key)
{
    const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && uint64_t(st.st_size) <= uint64_t(max_music_file_mib) << 20;
    std::vector<unsigned char> bytes(ok ? size_t(st.st_size) : 0);
    size_t size = 0;
    while (ok && size < bytes.size()) {
        const ssize_t n = read(fd, bytes.data() + size, bytes.size() - size);
        ok = n > 0 || (n < 0 && errno == EINTR);
        size += size_t(n > 0 ? n : 0);
    }
    close(fd);
    if (ok)
        key = music_file_key(bytes.data(), size);
    return ok;
}

bool read_grid(const std::string& path, uint64_t key, beat_grid& grid)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > (1 << 20))
        return false;
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return in && parse_beat_grid(text.str(), key, grid);
}

bool write_keyed(const char* music_path, uint64_t key, const beat_grid& grid, const char* source)
{
    // A name of this process's own: two starts on one folder may both write it.
    const std::string path = beat_grid_path(music_path), part = path + ".part" + std::to_string(getpid());
    const std::string text = format_beat_grid(grid, key, source);
    FILE* file = std::fopen(part.c_str(), "w");
    bool ok = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    ok = file && std::fclose(file) == 0 && ok;
    // Renamed into place whole, so that no start reads half a grid.
    ok = ok && std::rename(part.c_str(), path.c_str()) == 0;
    if (!ok) {
        std::fprintf(stderr, "swipemix: cannot keep the beats of %s in %s (%s); they are found again at each start\n",
                     music_path, path.c_str(), std::strerror(errno));
        std::remove(part.c_str());
    }
    return ok;
}
}

std::string beat_grid_path(const char* music_path)
{
    std::string path = music_path;
    const size_t dot = path.rfind('.'), slash = path.rfind('/');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        path.erase(dot);
    return path + ".beats";
}

void load_beat_grid(const char* music_path, const music_track* decoded, beat_grid& grid)
{
    grid = {};
    uint64_t key;
    if (!key_of_file(music_path, key) || read_grid(beat_grid_path(music_path), key, grid))
        return;
    music_track own{};
    if (!decoded) {
        const auto decoder = std::make_unique<mp3_decoder>(); // too big for a thread's stack
        load_track(*decoder, own, music_path);
    }
    analyse_beats(decoded ? *decoded : own, grid);
    std::free(own.pcm);
    write_keyed(music_path, key, grid, "analysis");
}

void load_beat_grids()
{
    for (int k = 0; k < entry_count; ++k)
        load_beat_grid(track_paths[k], &track_table[k], beat_table[k]);
}

void load_beat_grids_from(const char* dir, const music_track* decoded)
{
    for (int k = 0; k < entry_count; ++k) {
        const std::string path = dir + std::string(std::strchr(track_paths[k], '/'));
        load_beat_grid(path.c_str(), decoded ? &decoded[k] : nullptr, beat_table[k]);
    }
}

bool write_beat_grid(const char* music_path, const beat_grid& grid, const char* source)
{
    uint64_t key;
    if (!key_of_file(music_path, key)) {
        std::fprintf(stderr, "swipemix: cannot read %s to key its beats to it\n", music_path);
        return false;
    }
    return write_keyed(music_path, key, grid, source);
}

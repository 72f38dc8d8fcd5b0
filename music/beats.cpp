#include "music/beats.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

beat_grid beat_table[entry_count];

namespace {
constexpr char grid_magic[] = "swipemix-beats 1";
constexpr double most_tempo = 1000, most_seconds = 24 * 3600;

int floor_mod(int a, int n) { return ((a % n) + n) % n; }
}

uint64_t music_file_key(const unsigned char* bytes, size_t size)
{
    uint64_t h = 0xcbf29ce484222325u;
    for (size_t i = 0; i < size; ++i)
        h = (h ^ bytes[i]) * 0x100000001b3u;
    return h;
}

std::string format_beat_grid(const beat_grid& grid, uint64_t key, const char* source)
{
    char line[96];
    std::snprintf(line, sizeof line, "%s\nkey %016" PRIx64 "\nsource %s\ntempo %.6f\nbar %d\nbeats %d\n", grid_magic,
                  key, source, grid.tempo, grid.beats_per_bar, grid.beat_count);
    std::string text = line;
    for (int i = 0; i < grid.beat_count; ++i) {
        std::snprintf(line, sizeof line, "%.6f\n", grid.beat_seconds[i]);
        text += line;
    }
    return text;
}

bool parse_beat_grid(const std::string& text, uint64_t key, beat_grid& grid)
{
    grid = {};
    std::istringstream in(text);
    std::string magic, word[5], source;
    uint64_t kept_key = 0;
    beat_grid g{};
    std::getline(in, magic);
    in >> word[0] >> std::hex >> kept_key >> std::dec >> word[1] >> source >> word[2] >> g.tempo >> word[3] >>
        g.beats_per_bar >> word[4] >> g.beat_count;
    if (!in || magic != grid_magic || word[0] != "key" || word[1] != "source" || word[2] != "tempo" ||
        word[3] != "bar" || word[4] != "beats" || kept_key != key)
        return false;
    // NaN fails every comparison, so each test is written to pass only for good values.
    if (!(g.tempo >= 0 && g.tempo <= most_tempo) || g.beats_per_bar < 1 || g.beats_per_bar > 16 ||
        g.beat_count < 0 || g.beat_count > max_beats || (g.beat_count > 0) != (g.tempo > 0))
        return false;
    for (int i = 0; i < g.beat_count; ++i) {
        double& t = g.beat_seconds[i];
        if (!(in >> t) || !(t >= (i ? g.beat_seconds[i - 1] : 0.0)) || !(t <= most_seconds) ||
            (i && t == g.beat_seconds[i - 1]))
            return false;
    }
    std::string rest;
    if (in >> rest)
        return false; // more beats than it says it has
    grid = g;
    return true;
}

beat_position beat_at(const beat_grid& grid, double seconds)
{
    if (grid.beat_count == 0 || !(grid.tempo > 0) || !std::isfinite(seconds))
        return {0, 0, 0, 0};
    const double* b = grid.beat_seconds;
    const int last = grid.beat_count - 1, bar = grid.beats_per_bar;
    const double period = 60.0 / grid.tempo;
    double counted; // beats since the first, a fraction within the beat
    if (seconds < b[0] || seconds >= b[last]) {
        const double from = seconds < b[0] ? b[0] : b[last];
        counted = (seconds < b[0] ? 0 : last) + (seconds - from) / period;
    } else {
        const int i = int(std::upper_bound(b, b + grid.beat_count, seconds) - b) - 1;
        counted = i + (seconds - b[i]) / (b[i + 1] - b[i]);
    }
    // Far outside the grid the count stays within int, and so does the phase.
    counted = std::clamp(counted, -1e9, 1e9);
    const double whole = std::floor(counted);
    const int beat = int(whole), in_bar = floor_mod(beat, bar);
    const double phase = counted - whole;
    return {beat, in_bar, phase, (in_bar + phase) / bar};
}

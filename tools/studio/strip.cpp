#include "tools/studio/strip.h"

#include <algorithm>
#include <cmath>

#include "shared/state.h"
#include "tools/studio/costs.h"
#include "tools/studio/envelope.h"

namespace {
enum strip_colour : unsigned char {
    strip_ground, strip_loop, strip_music, strip_second, strip_entry, strip_within, strip_over, strip_far_over,
    strip_played, strip_here, strip_peak, strip_beat, strip_bar, strip_key, strip_curve, strip_band, strip_seen
};
constexpr int least_gap = 5; // pixels between marks, below which they crowd

void fill(std::vector<unsigned char>& grey, int x0, int y0, int x1, int y1, unsigned char colour)
{
    x0 = std::clamp(x0, 0, W), x1 = std::clamp(x1, 0, W);
    for (int y = std::max(y0, 0); y < std::min(y1, frame_height); ++y)
        std::fill(grey.begin() + y * W + x0, grey.begin() + y * W + x1, colour);
}

// The strip's bands, top to bottom, as shares of its height.
struct strip_bands {
    int top, beats, keys, music, cost, bar, bottom;
};
strip_bands bands_of(layout_rect place)
{
    const int h = place.height, t = place.y;
    strip_bands b;
    b.top = t;
    b.beats = t + h * 6 / 100;
    b.keys = b.beats + h * 14 / 100;
    b.music = b.keys + h * 32 / 100;
    b.cost = b.music + h * 32 / 100;
    b.bar = b.cost + h * 7 / 100;
    b.bottom = t + h;
    return b;
}

// Beats where each is clear of the one before, bars where beats would crowd;
// each drawn on down through the keys faintly, so keys can be set on them by eye.
void draw_beats(std::vector<unsigned char>& grey, const studio_view& v, const strip_bands& b)
{
    if (!v.beats || v.beats->count == 0)
        return;
    const beat_marks& m = *v.beats;
    double beat_gap = 1e9; // the closest two beats come in view, in pixels
    for (int k = 1; k < m.count; ++k)
        if (m.marks[k].row >= v.strip.first && m.marks[k - 1].row <= v.strip.first + v.strip.rows)
            beat_gap = std::min(beat_gap, (m.marks[k].row - m.marks[k - 1].row) / v.strip.rows * W);
    const bool beats_fit = beat_gap >= least_gap;
    double last_bar = -1e9;
    for (int k = 0; k < m.count; ++k) {
        const double x = strip_x(v.strip, m.marks[k].row, W);
        if (x < 0 || x >= W)
            continue;
        const int at = int(x);
        if (m.marks[k].bar && x - last_bar >= least_gap) {
            fill(grey, at, b.keys, at + 1, b.music, strip_band);
            fill(grey, at, b.top, at + 2, b.keys, strip_bar);
            last_bar = x;
        } else if (beats_fit) {
            fill(grey, at, b.keys, at + 1, b.music, strip_band);
            fill(grey, at, b.beats, at + 1, b.keys, strip_beat);
        }
    }
}

// The chosen track's curve through the view and a mark at each of its keys.
void draw_keys(std::vector<unsigned char>& grey, const studio_view& v, const strip_bands& b)
{
    if (!v.chosen_keys || !v.tables || v.chosen < 0)
        return;
    // The band spans the values the track's keys take, so small moves show.
    float low = 1e30f, high = -1e30f;
    for (const source_key& k : v.chosen_keys->keys)
        low = std::min(low, float(k.value)), high = std::max(high, float(k.value));
    if (low > high)
        low = high = 0;
    if (high - low < 1e-6f)
        low -= 0.5f, high += 0.5f;
    const int room = b.music - b.keys - 4;
    const auto y_of = [&](float value) { return b.music - 2 - int(std::lround((value - low) / (high - low) * room)); };
    if (low < 0 && high > 0)
        fill(grey, 0, y_of(0), W, y_of(0) + 1, strip_band);
    sync_scratch scratch;
    float values[sync_track_count];
    int before = -1;
    for (int x = 0; x < W; ++x) {
        std::fill_n(values, sync_track_count, 0.0f);
        sync_evaluate(*v.tables, scratch, float(strip_row_at(v.strip, x + 0.5, W)), values);
        const int y = y_of(values[v.chosen]);
        const int from = before < 0 ? y : std::min(before, y), to = before < 0 ? y : std::max(before, y);
        fill(grey, x, from, x + 1, to + 1, strip_curve);
        before = y;
    }
    for (const source_key& k : v.chosen_keys->keys) {
        const double x = strip_x(v.strip, k.row, W);
        if (x < -3 || x >= W + 3)
            continue;
        const int at = int(std::floor(x)), y = y_of(float(k.value));
        fill(grey, at, b.keys, at + 1, b.music, strip_key);
        fill(grey, at - 3, y - 3, at + 4, y + 4, strip_key);
    }
}

// Per pixel, the loudest stretch as a lighter peak and the loudness of all of
// them together (their mean power) solid beneath it.
void draw_music(std::vector<unsigned char>& grey, const studio_view& v, const strip_bands& b)
{
    if (!v.envelope)
        return;
    const float top = std::max(-60.0f, *std::max_element(v.envelope, v.envelope + envelope_count));
    const int height = b.cost - b.music - 2;
    for (int x = 0; x < W; ++x) {
        const double r0 = strip_row_at(v.strip, x, W), r1 = strip_row_at(v.strip, x + 1, W);
        const int s0 = std::clamp(int(r0 * envelope_steps), 0, envelope_count - 1);
        const int s1 = std::clamp(int(r1 * envelope_steps), s0 + 1, envelope_count);
        float peak = envelope_silence_db;
        double power = 0;
        for (int s = s0; s < s1; ++s)
            peak = std::max(peak, v.envelope[s]), power += std::pow(10.0, v.envelope[s] / 10);
        const float mean = float(10 * std::log10(std::max(power / (s1 - s0), 1e-12)));
        fill(grey, x, b.cost - envelope_height(peak, top, height), x + 1, b.cost, strip_peak);
        fill(grey, x, b.cost - envelope_height(mean, top, height), x + 1, b.cost, strip_music);
    }
}

// Ticks each second (or ten, when seconds crowd) and longer ones where the entry changes.
void draw_ticks(std::vector<unsigned char>& grey, const studio_view& v, const strip_bands& b)
{
    const double row_width = W / v.strip.rows;
    const int every = row_width * rows_per_second >= least_gap ? rows_per_second : 10 * rows_per_second;
    for (int r = int(std::ceil(v.strip.first)); r <= v.strip.first + v.strip.rows && r < mapped_rows; ++r) {
        const int x = int(strip_x(v.strip, r, W));
        if (v.tracks && r > 0 && v.tracks[r] != v.tracks[r - 1])
            fill(grey, x, b.top, x + 2, b.music, strip_entry);
        else if (r % every == 0)
            fill(grey, x, b.top, x + 1, b.beats + 2, strip_second);
    }
}

// Each row's cost, the worst of those a pixel covers.
void draw_costs(std::vector<unsigned char>& grey, const studio_view& v, const strip_bands& b)
{
    for (int x = 0; x < W; ++x) {
        const int first = int(strip_row_at(v.strip, x, W));
        const int last = std::max(first, int(std::ceil(strip_row_at(v.strip, x + 1, W))) - 1);
        row_cost worst = row_cost::unknown;
        for (int r = first; r <= last && r < mapped_rows; ++r)
            worst = std::max(worst, cost_at(r));
        if (worst != row_cost::unknown)
            fill(grey, x, b.cost + 2, x + 1, b.bar - 2,
                 worst == row_cost::within ? strip_within : worst == row_cost::over ? strip_over : strip_far_over);
    }
}
}

const unsigned strip_palette[256] = {0x181818, 0x46587a, 0x4f6f9f, 0x707070, 0xe0e0e0, 0x3ca046, 0xdcb428, 0xdc3c32,
                                     0xb4b4b4, 0xffffff, 0x2f4360, 0xa0a0a0, 0xf0f0f0, 0xff9a3c, 0xe8c060, 0x4c4c4c,
                                     0x5a5a5a};

void draw_strip(std::vector<unsigned char>& grey, const studio_view& v, layout_rect place)
{
    const strip_bands b = bands_of(place);
    fill(grey, 0, b.top, W, b.bottom, strip_ground);
    if (v.loop_end > v.loop_start)
        fill(grey, int(strip_x(v.strip, v.loop_start, W)), b.top, int(strip_x(v.strip, v.loop_end, W)), b.bar,
             strip_loop);
    draw_music(grey, v, b);
    draw_costs(grey, v, b);
    draw_ticks(grey, v, b);
    draw_beats(grey, v, b);
    draw_keys(grey, v, b);
    // The bottom bar is the whole show: what is played, and the part in view.
    const auto whole_x = [](double row) { return int(std::clamp(row / show_end_row, 0.0, 1.0) * W); };
    fill(grey, whole_x(v.strip.first), b.bar, whole_x(v.strip.first + v.strip.rows) + 1, b.bottom, strip_seen);
    fill(grey, 0, b.bar + 2, whole_x(v.row), b.bottom - 2, strip_played);
    const double here = strip_x(v.strip, v.row, W);
    if (here >= 0 && here < W)
        fill(grey, std::min(int(here), W - 2), b.top, std::min(int(here), W - 2) + 2, b.bar, strip_here);
}

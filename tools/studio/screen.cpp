#include "tools/studio/screen.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "graphics/authoring.h"
#include "graphics/fonts.h"
#include "graphics/text.h"
#include "shared/state.h"
#include "timeline/source.h"
#include "tools/studio/costs.h"
#include "tools/studio/show_map.h"

namespace {
constexpr int cell = 26;         // display lines, in back-buffer pixels
constexpr int message_cell = 24;
constexpr int panel_width = 430; // the display's width where the sides are narrower
constexpr int most_message_lines = 14;

std::string format(const char* pattern, auto... values)
{
    char line[160];
    std::snprintf(line, sizeof line, pattern, values...);
    return line;
}

std::u32string wide(const std::string& text)
{
    std::u32string out;
    for (unsigned char c : text)
        out += c == '\t' ? U' ' : char32_t(c);
    return out;
}

FT_Face display_face()
{
    static FT_Library library;
    static FT_Face face;
    if (!library && FT_Init_FreeType(&library) == 0)
        face = open_face(library, "monospace", 400, U"", "the studio's display");
    return face;
}

// Lines cut to `columns` characters, each long line continuing on the next.
std::vector<std::string> wrapped(const std::vector<std::string>& lines, size_t columns)
{
    std::vector<std::string> out;
    for (const std::string& line : lines)
        for (size_t at = 0; at == 0 || at < line.size(); at += columns)
            out.push_back(line.substr(at, columns));
    return out;
}

void fill(std::vector<unsigned char>& grey, int x0, int y0, int x1, int y1, unsigned char level)
{
    x0 = std::clamp(x0, 0, W), x1 = std::clamp(x1, 0, W);
    for (int y = std::max(y0, 0); y < std::min(y1, frame_height); ++y)
        std::fill(grey.begin() + y * W + x0, grey.begin() + y * W + x1, level);
}

// The strip's colour numbers.
enum strip_colour : unsigned char {
    strip_ground, strip_loop, strip_music, strip_second, strip_entry, strip_within, strip_over, strip_far_over,
    strip_played, strip_here
};
const unsigned strip_palette[256] = {0x181818, 0x46587a, 0x4f6f9f, 0x707070, 0xe0e0e0,
                                     0x3ca046, 0xdcb428, 0xdc3c32, 0xb4b4b4, 0xffffff};
constexpr int music_height = 36, cost_height = 10; // then the position bar

// The show from row 0 to its end across the whole width: the music's loudness
// with a tick each second and a longer one where the entry changes, the loop
// behind it, each row's cost under it, and the frame's place at the bottom.
void draw_strip(std::vector<unsigned char>& grey, const studio_view& v)
{
    const int top = frame_height - strip_height, cost_top = top + music_height, bar_top = cost_top + cost_height;
    auto x_of = [](double row) { return int(std::clamp(row / show_end_row, 0.0, 1.0) * W); };
    fill(grey, 0, top, W, frame_height, strip_ground);
    if (v.loop_end > v.loop_start)
        fill(grey, x_of(v.loop_start), top, x_of(v.loop_end), frame_height, strip_loop);
    for (int x = 0; x < W; ++x) {
        // The rows this pixel column covers: the loudest and the worst of them.
        const int first = x * show_end_row / W, last = std::max(first, (x + 1) * show_end_row / W - 1);
        float loudest = 0;
        row_cost worst = row_cost::unknown;
        bool second = false, entry = false;
        for (int r = first; r <= last && r < mapped_rows; ++r) {
            if (v.envelope)
                loudest = std::max(loudest, v.envelope[r]);
            worst = std::max(worst, cost_at(r));
            second |= r % 8 == 0;
            entry |= v.tracks && r > 0 && v.tracks[r] != v.tracks[r - 1];
        }
        const int bar = int(loudest * (music_height - 2) + 0.5);
        fill(grey, x, cost_top - bar, x + 1, cost_top, strip_music);
        if (entry)
            fill(grey, x, top, x + 1, top + 16, strip_entry);
        else if (second)
            fill(grey, x, top, x + 1, top + 5, strip_second);
        if (worst != row_cost::unknown)
            fill(grey, x, cost_top + 2, x + 1, bar_top - 2,
                 worst == row_cost::within ? strip_within : worst == row_cost::over ? strip_over : strip_far_over);
    }
    fill(grey, 0, bar_top + 2, x_of(v.row), frame_height - 2, strip_played);
    const int here = std::min(x_of(v.row), W - 2);
    fill(grey, here, top, here + 2, frame_height, strip_here);
}
}

std::vector<std::string> display_lines(const studio_view& v)
{
    std::vector<std::string> lines;
    lines.push_back(format("row %8.2f  %7.2f s%s", v.row, v.row * row_seconds, v.paused ? "  paused" : ""));
    lines.push_back(format("entry %d   music %.2f of %.2f s", v.track, v.music_seconds, v.music_length));
    // Paused, the last rate played would read as the present one.
    lines.push_back(v.frame_ms > 0 && !v.paused ? format("%.1f fps  %.1f ms a frame", 1000 / v.frame_ms, v.frame_ms)
                                                : std::string("fps -"));
    const std::string how = v.automatic ? " (auto)" : "";
    lines.push_back(v.scale == 1 ? "full scale" + how + ", exact" : format("preview 1/%d", v.scale) + how);
    lines.push_back(v.loop_end > v.loop_start ? format("loop rows %.2f to %.2f", v.loop_start, v.loop_end)
                                              : std::string("no loop"));
    if (!v.link.empty())
        lines.push_back(v.link);
    if (!v.compare.empty())
        lines.push_back(v.compare);
    for (int t = 0; t < sync_track_count; ++t)
        lines.push_back(format("%-13s %10.4f", show_track_names[t], v.values[t]));
    if (!v.log.empty())
        lines.push_back("said lately:");
    for (const std::string& said : v.log)
        lines.push_back(" " + said);
    return lines;
}

namespace {
// The display's lines into grey's top left corner, `width` wide. Rasterising
// every line every frame would cost more than a quarter-scale frame of the
// show, so each line is drawn again only when its text changes.
void draw_display(std::vector<unsigned char>& grey, const std::vector<std::string>& lines, int width, int height,
                  FT_Face face)
{
    static std::vector<unsigned char> panel;
    static std::vector<std::string> drawn;
    static int drawn_width, drawn_height;
    if (width != drawn_width || height != drawn_height) {
        panel.assign(size_t(width) * height, 0);
        drawn.clear();
        drawn_width = width, drawn_height = height;
    }
    drawn.resize(lines.size());
    const text_target target = {panel.data(), width, height};
    for (size_t k = 0; k < lines.size(); ++k) {
        if (lines[k] == drawn[k])
            continue;
        const int top = 8 + int(k) * cell, bottom = std::min(top + cell, height);
        if (top < bottom)
            std::fill(panel.begin() + size_t(top) * width, panel.begin() + size_t(bottom) * width, 0);
        draw_text(target, face, cell, wide(lines[k]), 12, top, text_align::left);
        drawn[k] = lines[k];
    }
    for (int y = 0; y < height; ++y)
        std::copy_n(panel.begin() + size_t(y) * width, width, grey.begin() + size_t(y) * W);
}
}

void draw_studio_screen(const studio_view& view, bool shown, const std::vector<std::string>& messages)
{
    static std::vector<unsigned char> grey;
    grey.assign(size_t(W) * frame_height, 0);
    const text_target target = {grey.data(), W, frame_height};
    FT_Face face = display_face();
    overlay_rect over[3]; // what lies over the column
    int count = 0;
    const int left = std::max(0, (W - column_width) / 2), right = std::min(W, left + column_width);
    const int sides = shown ? frame_height - strip_height : frame_height;
    if (view.difference)
        for (int y = 0; y < sides; ++y)
            std::copy(view.difference + y * W + left, view.difference + y * W + right, grey.begin() + y * W + left);

    if (shown) {
        const std::vector<std::string> lines = display_lines(view);
        const int side = column_left(W);
        const int width = std::min(W, side >= 320 ? side : panel_width);
        const int height = std::min(frame_height - strip_height, int(lines.size()) * cell + 16);
        draw_display(grey, lines, width, height, face);
        over[count++] = {0, 0, width, height};
    }
    if (!messages.empty() && face) {
        const int glyph = std::max(1, text_width(face, message_cell, U"M"));
        std::vector<std::string> lines = wrapped(messages, size_t(std::max(8, (W - 16) / glyph)));
        if (lines.size() > most_message_lines)
            lines.resize(most_message_lines);
        const int height = int(lines.size()) * message_cell + 8;
        const int top = frame_height - strip_height - height;
        for (size_t k = 0; k < lines.size(); ++k)
            draw_text(target, face, message_cell, wide(lines[k]), 8, top + 4 + int(k) * message_cell, text_align::left);
        over[count++] = {0, top, W, height};
    }
    if (view.help && face) {
        // Over the middle of the window, on black, as wide as its longest line.
        int widest = 0;
        for (const std::string& line : *view.help)
            widest = std::max(widest, text_width(face, message_cell, wide(line)));
        const int width = std::min(W, widest + 32), height = std::min(sides, int(view.help->size()) * message_cell + 24);
        const int x = (W - width) / 2, y = std::max(0, (sides - height) / 2);
        fill(grey, x, y, x + width, y + height, 0);
        for (size_t k = 0; k < view.help->size(); ++k)
            draw_text(target, face, message_cell, wide((*view.help)[k]), x + 16, y + 12 + int(k) * message_cell,
                      text_align::left);
        over[count++] = {x, y, width, height};
    }
    // The passes never write the sides, so they are copied whole every frame:
    // what was shown there and is hidden now must not stay behind. The strip,
    // in its own colours, spans the whole width.
    const int left = std::max(0, column_left(W)), right = std::min(W, left + column_width);
    const int sides = shown ? frame_height - strip_height : frame_height;
    overlay_rect rects[8] = {{0, 0, left, sides}, {right, 0, W - right, sides}};
    int n = 2;
    if (view.difference) // the column whole, with what lies over it
        rects[n++] = {left, 0, right - left, sides}, count = 0;
    for (int k = 0; k < count; ++k) {
        const int x0 = std::max(over[k].x, left), x1 = std::min(over[k].x + over[k].width, right);
        if (x1 > x0)
            rects[n++] = {x0, over[k].y, x1 - x0, over[k].height};
    }
    if (shown) {
        draw_strip(grey, view);
        rects[n++] = {0, sides, W, strip_height, strip_palette};
    }
    draw_overlay(grey.data(), rects, n);
}

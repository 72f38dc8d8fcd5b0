#include "tools/studio/screen.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "graphics/authoring.h"
#include "graphics/fonts.h"
#include "graphics/text.h"
#include "shared/state.h"
#include "timeline/source.h"
#include "tools/studio/show_map.h"
#include "tools/studio/strip.h"

namespace {
constexpr int cell = 26;         // display lines, in back-buffer pixels
constexpr int message_cell = 24;
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
        lines.push_back(format("%c %-13s %10.4f", t == v.chosen ? '>' : ' ', show_track_names[t], v.values[t]));
    if (!v.log.empty())
        lines.push_back("said lately:");
    for (const std::string& said : v.log)
        lines.push_back(" " + said);
    return lines;
}

namespace {
// The display's lines into grey at `place`. Rasterising every line every
// frame would cost more than a quarter-scale frame of the show, so each line
// is drawn again only when its text changes.
void draw_display(std::vector<unsigned char>& grey, const std::vector<std::string>& lines, layout_rect place,
                  FT_Face face)
{
    static std::vector<unsigned char> panel;
    static std::vector<std::string> drawn;
    static int drawn_width, drawn_height;
    const int width = place.width, height = place.height;
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
        std::copy_n(panel.begin() + size_t(y) * width, width, grey.begin() + size_t(place.y + y) * W + place.x);
}

// The messages, wrapped to `place`'s width, from its top; over the column
// (the panels hidden in a narrow window) from its bottom, covering no more
// than they need. Returns the rows they took.
layout_rect draw_messages(std::vector<unsigned char>& grey, const std::vector<std::string>& messages,
                          layout_rect place, bool over_column, FT_Face face)
{
    const int glyph = std::max(1, text_width(face, message_cell, U"M"));
    std::vector<std::string> lines = wrapped(messages, size_t(std::max(8, (place.width - 16) / glyph)));
    lines.resize(std::min<size_t>({lines.size(), most_message_lines, size_t(std::max(0, (place.height - 8) / message_cell))}));
    const int height = std::min(place.height, int(lines.size()) * message_cell + 8);
    const int top = over_column ? place.y + place.height - height : place.y;
    const text_target target = {grey.data() + size_t(top) * W, W, height};
    for (size_t k = 0; k < lines.size(); ++k)
        draw_text(target, face, message_cell, wide(lines[k]), place.x + 8, 4 + int(k) * message_cell, text_align::left);
    return {place.x, top, place.width, height};
}
}

void draw_studio_screen(const studio_view& view, const studio_layout& layout, const std::vector<std::string>& messages)
{
    static std::vector<unsigned char> grey;
    grey.assign(size_t(W) * frame_height, 0);
    FT_Face face = display_face();
    const layout_rect c = layout.column, strip = layout.strip;
    fit_column(c.x, c.y, c.width, c.height);
    if (layout.display.width > 0 && layout.display.height > 0)
        draw_display(grey, display_lines(view), layout.display, face);
    const bool over_column = layout.messages.x < c.x + c.width && layout.messages.x + layout.messages.width > c.x;
    layout_rect said = {};
    if (!messages.empty() && face && layout.messages.width > 0)
        said = draw_messages(grey, messages, layout.messages, over_column, face);
    if (view.difference) // the two versions' difference, fitted as the column is
        for (int y = 0; y < c.height; ++y) {
            const unsigned char* row = view.difference + size_t(y * frame_height / c.height) * W;
            for (int x = 0; x < c.width; ++x)
                grey[size_t(c.y + y) * W + c.x + x] = row[std::clamp(column_left(W) + x * column_width / c.width, 0, W - 1)];
        }
    layout_rect help = {};
    if (view.help && face) {
        // Over the middle of the window, on black, as wide as its longest line.
        const text_target target = {grey.data(), W, frame_height};
        int widest = 0;
        for (const std::string& line : *view.help)
            widest = std::max(widest, text_width(face, message_cell, wide(line)));
        const int bottom = strip.height > 0 ? strip.y : frame_height;
        help.width = std::min(W, widest + 32), help.height = std::min(bottom, int(view.help->size()) * message_cell + 24);
        help.x = (W - help.width) / 2, help.y = std::max(0, (bottom - help.height) / 2);
        for (int y = help.y; y < help.y + help.height; ++y) // black under it, over a difference too
            std::fill(grey.begin() + size_t(y) * W + help.x, grey.begin() + size_t(y) * W + help.x + help.width, 0);
        for (size_t k = 0; k < view.help->size(); ++k)
            draw_text(target, face, message_cell, wide((*view.help)[k]), help.x + 16, help.y + 12 + int(k) * message_cell,
                      text_align::left);
    }
    // Everything but the column is copied whole every frame: the passes never
    // write there, and what was shown there and is hidden now must not stay
    // behind. The strip, in its own colours, spans the whole width.
    const int above = strip.height > 0 ? strip.y : frame_height;
    overlay_rect rects[8] = {{0, 0, c.x, above},
                             {c.x + c.width, 0, W - c.x - c.width, above},
                             {c.x, c.y + c.height, c.width, above - c.y - c.height},
                             {c.x, 0, c.width, c.y}};
    int n = 4;
    if (view.difference)
        rects[n++] = {c.x, c.y, c.width, c.height};
    if (help.width > 0)
        rects[n++] = {help.x, help.y, help.width, help.height};
    if (over_column && said.height > 0) {
        const int x0 = std::max(said.x, c.x), x1 = std::min(said.x + said.width, c.x + c.width);
        rects[n++] = {x0, said.y, x1 - x0, said.height};
    }
    if (strip.height > 0) {
        draw_strip(grey, view, strip);
        rects[n++] = {strip.x, strip.y, strip.width, strip.height, strip_palette};
    }
    draw_overlay(grey.data(), rects, n);
}

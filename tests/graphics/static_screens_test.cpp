// Two static screens, drawn from the tests' own effects in the places of the quiz
// board (entry 33) and the end screen (entry 36): their pixels are checked against
// the board's colours, the hourglass and the banner strings of the real caption atlas,
// through the show's frame code, atlas and position mapping.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "driver/feed.h"
#include "graphics/atlas.h"
#include "graphics/authoring.h"
#include "graphics/shader_sources.h"
#include "tests/graphics/gpu_harness.h"

namespace {
constexpr int quiz = 33, end_screen = 36;

std::vector<unsigned char> atlas(size_t(atlas_width) * atlas_height);

std::string fixture_effect(const char* name)
{
    std::ifstream in(std::string(SWIPEMIX_FIXTURES) + "/" + name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct colour {
    double r, g, b;
};
constexpr colour cell{63 / 255.0, 52 / 255.0, 154 / 255.0};
constexpr colour light{122 / 255.0, 115 / 255.0, 208 / 255.0};
constexpr colour white{1, 1, 1};
constexpr colour grey{0.3, 0.3, 0.3};

colour mix(colour a, colour b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// The column pixel that shows frame fraction n (n.y counted upward), and the
// exact position the effect is given there.
struct spot {
    int x, y;
    double nx, ny;
};
spot at_fraction(double nx, double ny)
{
    const int x = int(std::lround(nx * (column_width - 1)));
    const int h = std::max(1, int(std::lround(ny * frame_height)));
    return {x, frame_height - h, x / double(column_width), h / double(frame_height)};
}

// What xxt(f, band) returns, where its bilinear read lands inside a block of
// equal texels; nothing where it straddles an edge of the text.
bool atlas_flat(double fx, double fy, int band, double& value)
{
    const double tx = std::clamp(fx, 0.0, 1.0) * atlas_width - 0.5;
    const double ty = std::clamp((0.5 - fy + band) / 14, 0.0, 1.0) * atlas_height - 0.5;
    const int x0 = int(std::floor(tx)), y0 = int(std::floor(ty));
    int first = -1;
    for (int y = y0 - 1; y <= y0 + 2; ++y)
        for (int x = x0 - 1; x <= x0 + 2; ++x) {
            const int t = atlas[size_t(std::clamp(y, 0, atlas_height - 1)) * atlas_width + std::clamp(x, 0, atlas_width - 1)];
            if (first < 0)
                first = t;
            else if (t != first)
                return false;
        }
    value = first / 255.0;
    return true;
}

void expect_colour(const spot& s, colour want, const char* what)
{
    const pixel p = back_buffer_at(s.x, s.y);
    const auto ten = [](double v) { return int(std::lround(std::clamp(v, 0.0, 1.0) * 1023)); };
    const int tolerance = 3;
    EXPECT_NEAR(p.r, ten(want.r), tolerance) << what << " at pixel " << s.x << ", " << s.y;
    EXPECT_NEAR(p.g, ten(want.g), tolerance) << what << " at pixel " << s.x << ", " << s.y;
    EXPECT_NEAR(p.b, ten(want.b), tolerance) << what << " at pixel " << s.x << ", " << s.y;
}

std::vector<unsigned> frame_at_clock(int entry, float seconds)
{
    set_plain_constants();
    test_feed.time = test_feed.previous_time = seconds;
    draw_at(float(entry));
    const unsigned* pixels = presented_pixels();
    return {pixels, pixels + size_t(W) * frame_height};
}

// The fixture texts of the two screens, position effects everywhere else,
// and the real atlas, in a back buffer exactly one column wide.
class StaticScreens : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        start_gpu(column_width);
        draw_caption_atlas(atlas.data());
        upload_atlas(atlas.data());
        static std::string texts[shader_slots];
        static const char* table[shader_slots];
        texts[0] = embedded_source("prefix.hlsl");
        for (int e = 0; e < entry_count; ++e)
            texts[e + 1] = position_effect(e);
        texts[quiz + 1] = fixture_effect("quiz_board.hlsl");
        texts[end_screen + 1] = fixture_effect("end_screen.hlsl");
        for (int i = 0; i < shader_slots; ++i)
            table[i] = texts[i].c_str();
        compile_shaders(table);
        ASSERT_TRUE(shader_slot_filled(quiz + 1) && shader_slot_filled(end_screen + 1));
    }

    void SetUp() override { set_plain_constants(); }
};
}

TEST_F(StaticScreens, NeitherScreenChangesWithTheClock)
{
    for (int entry : {quiz, end_screen}) {
        const std::vector<unsigned> first = frame_at_clock(entry, 0);
        EXPECT_EQ(frame_at_clock(entry, -11.5f), first) << "entry " << entry;
        EXPECT_EQ(frame_at_clock(entry, 191.25f), first) << "entry " << entry;
    }
}

TEST_F(StaticScreens, QuizCellsAndGridLinesUseTheBoardColours)
{
    draw_at(quiz);
    for (int row = 3; row <= 7; ++row)
        for (int column = 0; column < 4; ++column) {
            const double left = 0.025 + 0.25 * column; // a cell spans 0.2 of the width
            // Near the cell's bottom left corner, below its number.
            expect_colour(at_fraction(left + 0.01, (row + 0.05) / 10), cell, "cell");
            expect_colour(at_fraction(left - 0.0125, (row + 0.4) / 10), light, "line between columns");
            expect_colour(at_fraction(left + 0.1, (row + 0.9) / 10), light, "line between rows");
        }
}

TEST_F(StaticScreens, QuizRowsOutsideTheGridAreLight)
{
    draw_at(quiz);
    // Row 0 holds the caption and row 8's middle the category line.
    for (double ny : {0.15, 0.25, 0.29, 0.805, 0.88, 0.95, 0.999})
        for (double nx : {0.0, 0.1, 0.3, 0.5, 0.77, 0.999})
            expect_colour(at_fraction(nx, ny), light, "light row");
}

TEST_F(StaticScreens, QuizCellsShowFiveHundredAtTheBottomUpToOneHundredAtTheTop)
{
    draw_at(quiz);
    for (int row = 3; row <= 7; ++row) {
        const int band = 11 - row; // "500" ... "100" with their tops at f.y = 1
        int text = 0, checked = 0;
        for (double u = 0.12; u < 0.88; u += 0.013)
            for (double v = 0.1; v < 0.75; v += 0.021) {
                const spot s = at_fraction(0.25 + 0.25 * u, (row + v) / 10);
                const double fx = std::fmod(4 * s.nx, 1.0), fy = std::fmod(10 * s.ny + 0.35, 1.0);
                double value;
                if (!atlas_flat(fx, fy, band, value))
                    continue;
                expect_colour(s, mix(cell, light, value), "number");
                text += value == 1;
                ++checked;
            }
        EXPECT_GT(text, checked / 20) << "row " << row << " shows no number";
    }
}

TEST_F(StaticScreens, QuizCategoryLineIsWhiteOverTheBoardRow)
{
    draw_at(quiz);
    int text = 0;
    for (double nx = 0.01; nx < 1; nx += 0.007)
        for (double ny = 0.81; ny < 0.87; ny += 0.004) {
            const spot s = at_fraction(nx, ny);
            double value;
            if (!atlas_flat(0.7 * s.nx + 0.15, s.ny + 0.14, 9, value))
                continue;
            expect_colour(s, value > 0 ? white : light, "category line");
            text += value > 0;
        }
    EXPECT_GT(text, 50);
}

TEST_F(StaticScreens, EndScreenHourglassIsGreyOnWhite)
{
    draw_at(end_screen);
    expect_colour(at_fraction(0.5, 0.68), grey, "hourglass neck");
    expect_colour(at_fraction(0.5, 0.77), grey, "upper bulb");
    expect_colour(at_fraction(0.45, 0.61), grey, "lower bulb beside the hollow");
    expect_colour(at_fraction(0.5, 0.61), white, "hollow in the lower bulb");
    expect_colour(at_fraction(0.5, 0.586), grey, "lower bulb below the hollow");
    expect_colour(at_fraction(0.53, 0.68), white, "beside the neck");
    expect_colour(at_fraction(0.5, 0.79), white, "above the hourglass");
    for (double nx : {0.0, 0.2, 0.8, 0.999})
        for (double ny : {0.15, 0.3, 0.7, 0.999})
            expect_colour(at_fraction(nx, ny), white, "background");
}

TEST_F(StaticScreens, EndScreenTextsAreDarkOnWhite)
{
    draw_at(end_screen);
    struct line {
        double y0, y1, offset;
        int band;
    };
    // "Time Limit" and the notice below it, each from its own atlas band.
    for (const line& l : {line{0.42, 0.53, 0.85, 12}, line{0.372, 0.41, 0.65, 13}}) {
        int text = 0;
        for (double nx = 0.02; nx < 0.98; nx += 0.0051)
            for (double ny = l.y0; ny < l.y1; ny += 0.0027) {
                const spot s = at_fraction(nx, ny);
                double value;
                if (!atlas_flat(1.2 * s.nx - 0.1, 1.6 * s.ny - l.offset, l.band, value))
                    continue;
                expect_colour(s, mix(white, {0, 0, 0}, value), "text");
                text += value == 1;
            }
        EXPECT_GT(text, 100) << "band " << l.band << " shows no text";
    }
}

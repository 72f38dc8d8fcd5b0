// The capture's conversion of the back buffer to video pictures and its time
// left, without a GPU.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "tools/capture/capture_progress.h"
#include "tools/capture/capture_yuv.h"

namespace {
unsigned word(int r, int g, int b) { return unsigned(r) | unsigned(g) << 10 | unsigned(b) << 20; }

struct planes {
    int w, h;
    std::vector<unsigned char> bytes;
    int y(int x, int row) const { return bytes[row * w + x]; }
    int u(int x, int row) const { return bytes[w * h + row / 2 * (w / 2) + x / 2]; }
    int v(int x, int row) const { return bytes[w * h + w * h / 4 + row / 2 * (w / 2) + x / 2]; }
};

planes convert(const std::vector<unsigned>& words, int stride, int x0, int width, int height)
{
    planes p{even(width), even(height), std::vector<unsigned char>(yuv420_bytes(width, height), 0xAA)};
    to_yuv420(words.data(), stride, x0, width, height, p.bytes.data());
    return p;
}

// BT.709 limited range in doubles, channels out of 1023.
void reference(double r, double g, double b, double out[3])
{
    r /= 1023, g /= 1023, b /= 1023;
    const double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    out[0] = 16 + 219 * y;
    out[1] = 128 + 224 * (b - y) / 1.8556;
    out[2] = 128 + 224 * (r - y) / 1.5748;
}
}

TEST(Progress, TimeLeftWeighsEachEntryByItsOwnCost)
{
    // Two cheap frames of entry 0 done; then 2 more of entry 0 and 4 of
    // entry 1, which costs ten times as much, are still to come.
    render_progress p = plan_progress({0, 0, 0, 0, 1, 1, 1, 1});
    EXPECT_EQ(p.total, 8);
    EXPECT_EQ(seconds_left(p), 0); // nothing measured yet
    count_frame(p, 0, 100);
    count_frame(p, 0, 100);
    // Entry 1 unseen: taken at the mean so far.
    EXPECT_DOUBLE_EQ(seconds_left(p), 0.6);
    count_frame(p, 0, 100);
    count_frame(p, 0, 100);
    count_frame(p, 1, 1000);
    // 3 frames of entry 1 left at its own 1000 ms, not at the 280 ms mean.
    EXPECT_DOUBLE_EQ(seconds_left(p), 3.0);
    for (int i = 0; i < 3; ++i)
        count_frame(p, 1, 1000);
    EXPECT_EQ(p.done, p.total);
    EXPECT_EQ(seconds_left(p), 0);
    // A frame outside the plan is counted but cannot upset the table.
    count_frame(p, 7, 5);
    count_frame(p, -1, 5);
    EXPECT_EQ(seconds_left(p), 0);
}

TEST(Yuv, FlatColoursGetBt709LimitedRangeValues)
{
    // Black and white span 16 to 235; the primaries tell BT.709 from BT.601
    // (red would have luma 81 there).
    const struct {
        int r, g, b, y, u, v;
    } colours[] = {{0, 0, 0, 16, 128, 128},      {1023, 1023, 1023, 235, 128, 128}, {512, 512, 512, 126, 128, 128},
                   {1023, 0, 0, 63, 102, 240},   {0, 1023, 0, 173, 42, 26},         {0, 0, 1023, 32, 240, 118}};
    for (const auto& c : colours) {
        const planes p = convert(std::vector<unsigned>(16, word(c.r, c.g, c.b)), 4, 0, 4, 4);
        for (int row = 0; row < 4; ++row)
            for (int x = 0; x < 4; ++x) {
                EXPECT_EQ(p.y(x, row), c.y) << c.r << "," << c.g << "," << c.b;
                EXPECT_EQ(p.u(x, row), c.u) << c.r << "," << c.g << "," << c.b;
                EXPECT_EQ(p.v(x, row), c.v) << c.r << "," << c.g << "," << c.b;
            }
    }
}

TEST(Yuv, EveryColourWithinRoundingOfTheFormula)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> channel(0, 1023);
    for (int i = 0; i < 20000; ++i) {
        const int r = channel(random), g = channel(random), b = channel(random);
        double want[3];
        reference(r, g, b, want);
        const planes p = convert(std::vector<unsigned>(4, word(r, g, b)), 2, 0, 2, 2);
        ASSERT_LE(std::fabs(p.y(0, 0) - want[0]), 0.51) << r << "," << g << "," << b;
        ASSERT_LE(std::fabs(p.u(0, 0) - want[1]), 0.51) << r << "," << g << "," << b;
        ASSERT_LE(std::fabs(p.v(0, 0) - want[2]), 0.51) << r << "," << g << "," << b;
    }
}

TEST(Yuv, ChromaIsTheMeanOfEachBlockAndLumaStaysPerPixel)
{
    // Left block: white over black; right block: all red.
    const unsigned white = word(1023, 1023, 1023), red = word(1023, 0, 0);
    const planes p = convert({white, white, red, red, 0, 0, red, red}, 4, 0, 4, 2);
    EXPECT_EQ(p.y(0, 0), 235);
    EXPECT_EQ(p.y(1, 1), 16);
    EXPECT_EQ(p.y(3, 1), 63);
    EXPECT_EQ(p.u(0, 0), 128);
    EXPECT_EQ(p.v(0, 0), 128);
    EXPECT_EQ(p.u(2, 0), 102);
    EXPECT_EQ(p.v(2, 0), 240);
}

TEST(Yuv, TakesTheSpanAskedForAndPadsOddSizesWithBlack)
{
    // A 3 x 3 span starting at column 2 of rows 5 wide: white inside, red
    // around it that must not leak in.
    const unsigned white = word(1023, 1023, 1023), red = word(1023, 0, 0);
    std::vector<unsigned> words(5 * 3, red);
    for (int row = 0; row < 3; ++row)
        for (int x = 2; x < 5; ++x)
            words[row * 5 + x] = white;
    const planes p = convert(words, 5, 2, 3, 3);
    ASSERT_EQ(p.bytes.size(), 4u * 4 + 2 * 2 * 2);
    EXPECT_EQ(p.y(0, 0), 235);
    EXPECT_EQ(p.y(2, 2), 235);
    EXPECT_EQ(p.y(3, 0), 16); // padding column
    EXPECT_EQ(p.y(0, 3), 16); // padding row
    EXPECT_EQ(p.u(0, 0), 128);
    EXPECT_EQ(p.v(0, 0), 128); // no red in the first block
    EXPECT_EQ(p.y(3, 3), 16);
    EXPECT_EQ(p.u(3, 3), 128); // one white of four: still grey
}

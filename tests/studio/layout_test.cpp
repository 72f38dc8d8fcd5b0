// The studio's layout: at common and awkward window sizes nothing lies over
// the column, the column keeps its shape, and the panels have room to read.
#include <gtest/gtest.h>

#include "shared/state.h"
#include "tools/studio/layout.h"

namespace {
struct window {
    int width, height;
};

int back_width(window w) { return w.width * frame_height / w.height; }

bool overlap(layout_rect a, layout_rect b)
{
    return a.width > 0 && a.height > 0 && b.width > 0 && b.height > 0 && a.x < b.x + b.width && b.x < a.x + a.width &&
           a.y < b.y + b.height && b.y < a.y + a.height;
}

bool inside(layout_rect r, int W)
{
    return r.x >= 0 && r.y >= 0 && r.width >= 0 && r.height >= 0 && r.x + r.width <= W && r.y + r.height <= frame_height;
}

class LayoutAt : public testing::TestWithParam<window> {};
}

TEST_P(LayoutAt, NothingCoversTheColumnAndItKeepsItsShape)
{
    const window w = GetParam();
    const int W = back_width(w);
    const studio_layout l = lay_out(W, w.height, true);
    for (layout_rect r : {l.column, l.strip, l.display, l.messages})
        EXPECT_TRUE(inside(r, W)) << r.x << "," << r.y << " " << r.width << "x" << r.height;
    for (layout_rect r : {l.strip, l.display, l.messages})
        EXPECT_FALSE(overlap(l.column, r)) << r.x << "," << r.y << " " << r.width << "x" << r.height;
    EXPECT_FALSE(overlap(l.display, l.messages));
    EXPECT_NEAR(double(l.column.width) / l.column.height, double(column_width) / frame_height, 0.01);
    EXPECT_EQ(l.strip.width, W);
    EXPECT_EQ(l.strip.y + l.strip.height, frame_height);
    // The strip can be read in the window, however short.
    EXPECT_GE(l.strip.height * w.height / frame_height, strip_least_on_screen - 1);
    EXPECT_GE(l.display.width, std::min(panel_least_width, W / 3));
    EXPECT_GE(l.messages.width, std::min(panel_least_width, W / 3));
    EXPECT_GT(l.messages.height, 100);
}

TEST_P(LayoutAt, HiddenPanelsGiveTheColumnItsOwnPlace)
{
    const window w = GetParam();
    const int W = back_width(w);
    const studio_layout l = lay_out(W, w.height, false);
    EXPECT_EQ(l.column.x, (W - column_width) / 2);
    EXPECT_EQ(l.column.width, column_width);
    EXPECT_EQ(l.column.height, frame_height);
    EXPECT_EQ(l.strip.height, 0);
    EXPECT_EQ(l.display.width, 0);
    EXPECT_GT(l.messages.width * l.messages.height, 0) << "errors are seen with the panels hidden too";
}

INSTANTIATE_TEST_SUITE_P(Windows, LayoutAt,
                         testing::Values(window{1280, 720}, window{1920, 1080}, window{800, 1000}, window{1280, 300},
                                         window{640, 480}, window{3840, 2160}),
                         [](const auto& info) {
                             return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

TEST(Layout, WideWindowsCentreTheColumnBetweenTheDisplayAndTheMessages)
{
    for (window w : {window{1280, 720}, window{1920, 1080}}) {
        const studio_layout l = lay_out(back_width(w), w.height, true);
        EXPECT_EQ(l.display.x, 0);
        EXPECT_EQ(l.display.width, l.column.x);
        EXPECT_EQ(l.messages.x, l.column.x + l.column.width);
        EXPECT_NEAR(l.column.x, back_width(w) - l.messages.x, 1) << "centred";
        EXPECT_GE(l.messages.width, 576) << "at least the room the full-height column left";
    }
}

TEST(Layout, NarrowWindowsPutTheColumnLeftAndShrinkItForThePanels)
{
    const studio_layout l = lay_out(800, 1000, true);
    EXPECT_EQ(l.column.x, 0);
    EXPECT_EQ(l.display.width, panel_least_width);
    EXPECT_EQ(l.messages.x, l.column.width);
    EXPECT_LT(l.column.width, column_width * (frame_height - l.strip.height) / frame_height);
}

TEST(Layout, HiddenPanelsInANarrowWindowLeaveTheMessagesOverTheColumnsLowerHalf)
{
    const studio_layout l = lay_out(column_width, 1080, false);
    EXPECT_EQ(l.messages.y, frame_height / 2);
    EXPECT_EQ(l.messages.width, column_width);
}

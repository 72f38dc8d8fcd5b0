#include <gtest/gtest.h>

#include "graphics/device.h"
#include "tests/graphics/gpu_harness.h"

// A back buffer narrower than the column: its offset (700 - 768) / 2 = -34
// puts column pixels 34 ... 733 on screen, and the rest must go nowhere.
TEST(NarrowBackBuffer, ShowsTheMiddleOfTheColumnAndDropsTheRest)
{
    start_gpu(700);
    compile_position_effects();
    set_plain_constants();
    draw_at(3.0f);
    for (int y = 0; y < frame_height; ++y)
        for (int x = 0; x < W; ++x) {
            const pixel p = back_buffer_at(x, y);
            ASSERT_EQ(p.r, x + 34) << "pixel " << x << ", " << y;
            ASSERT_EQ(p.g + 1024 * (p.b & 1), frame_height - y) << "pixel " << x << ", " << y;
            ASSERT_EQ(p.b / 2, 3);
        }
}

// A new width once the device runs makes the back buffer again, black, with
// the column centred anew; the width it already has keeps the picture.
TEST(NarrowBackBuffer, ANewWidthMakesTheBackBufferAgain)
{
    start_gpu(700);
    compile_position_effects();
    set_plain_constants();
    set_back_buffer_width(900);
    ASSERT_EQ(W, 900);
    draw_at(3.0f);
    const int left = column_left(900);
    for (int y : {0, 500, frame_height - 1})
        for (int x = 0; x < W; ++x) {
            const pixel p = back_buffer_at(x, y);
            if (x < left || x >= left + column_width)
                ASSERT_EQ(p.r + p.g + p.b, 0) << "pixel " << x << ", " << y << " is beside the column";
            else
                ASSERT_EQ(p.r, x - left) << "pixel " << x << ", " << y;
        }

    set_back_buffer_width(900);
    present();
    EXPECT_EQ(back_buffer_at(left + 10, 500).r, 10) << "the same width keeps the back buffer";
    set_back_buffer_width(700);
    present();
    EXPECT_EQ(W, 700);
    const pixel p = back_buffer_at(100, 500);
    EXPECT_EQ(p.r + p.g + p.b, 0) << "a new width starts black";
}

#include <gtest/gtest.h>

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

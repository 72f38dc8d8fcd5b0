#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "graphics/atlas.h"
#include "graphics/captions.h"

namespace {

unsigned char red[atlas_width * atlas_height];

struct ink_box {
    int left = atlas_width, right = -1, top = atlas_height, bottom = -1; // inclusive; empty when right < 0
};

// Bounds of every lit texel in columns [x0, x1) and rows [y0, y1).
ink_box ink(int x0, int x1, int y0, int y1)
{
    ink_box box;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (red[y * atlas_width + x] != 0) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

class Atlas : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::memset(red, 0x55, sizeof red); // drawing must clear what was there
        draw_caption_atlas(red);
    }
};

TEST_F(Atlas, EachCaptionRowKeepsItsItemsInPlace)
{
    for (int k = 0; k < entry_count; ++k) {
        SCOPED_TRACE(k);
        int row = 92 * k;
        // Band k reads texel rows row + 23 ... row + 117, its shadow one more each
        // way; where two bands meet nothing may show from the neighbour.
        EXPECT_LT(ink(0, atlas_width, row + 22, row + 27).right, 0);

        // Above the like count's cell only the credit line is there.
        ink_box credit = ink(0, 820, row + 22, row + 42);
        EXPECT_GE(credit.left, 48);
        EXPECT_LE(credit.left, 58);
        // Below the like count's cell only the title is there.
        ink_box title = ink(0, 820, row + 95, row + 114);
        EXPECT_GE(title.left, 48);
        EXPECT_LE(title.left, 58);

        ink_box count = ink(600, 830, row + 42, row + 95);
        EXPECT_LE(count.right, 809) << "the like count ends at x = 810";
        EXPECT_GE(count.right, 800);

        ink_box icons = ink(820, atlas_width, row + 22, row + 114);
        EXPECT_GE(icons.left, 832);
        EXPECT_LE(icons.left, 845);
        EXPECT_GE(icons.top, row + 32);
        EXPECT_LE(icons.bottom, row + 103);
        EXPECT_GT(icons.right - icons.left, 72) << "two icons side by side";
    }
}

TEST_F(Atlas, NothingAroundTheCaptionRows)
{
    EXPECT_LT(ink(0, atlas_width, 0, 22).right, 0);
    // Past the last title's cell: caption row 37 as a band would read it, then
    // the upper half of band 3.
    EXPECT_LT(ink(0, atlas_width, 92 * 37 + 22, 3584).right, 0);
}

TEST_F(Atlas, BannersFillTheirCellsCentredInTheirBands)
{
    // 2048 / (length + 1): "100" is 512 high, the category line 48, "Time Limit" 186.
    const int heights[banner_count] = {512, 512, 512, 512, 512, 48, 512, 256, 170, 186, 53};
    int previous_bottom = 3584;
    for (int k = 0; k < banner_count; ++k) {
        SCOPED_TRACE(banner_strings[k]);
        int top = 3584 + 1024 * k;
        EXPECT_LT(ink(0, atlas_width, previous_bottom, top).right, 0) << "no ink outside the cells";
        previous_bottom = top + heights[k];

        ink_box box = ink(0, atlas_width, top, previous_bottom);
        ASSERT_GE(box.right, 0);
        EXPECT_GE(box.bottom - box.top + 1, heights[k] / 2) << "the text is sized to its cell";
        EXPECT_NEAR((box.left + box.right) / 2.0, 512, 16);
        EXPECT_GT(box.left, 0) << "the whole string fits the atlas width";
        EXPECT_LT(box.right, atlas_width - 1);
    }
    EXPECT_LT(ink(0, atlas_width, previous_bottom, atlas_height).right, 0);
}

} // namespace

// Frame rates as exact fractions and the rows of their frames.
#include <gtest/gtest.h>

#include "tools/common/frame_rate.h"

TEST(FrameRate, ParsesWholeDecimalAndFractionalRates)
{
    frame_rate r;
    ASSERT_TRUE(parse_frame_rate("60", r));
    EXPECT_EQ(r.num, 60);
    EXPECT_EQ(r.den, 1);
    ASSERT_TRUE(parse_frame_rate("60000/1001", r));
    EXPECT_EQ(r.num, 60000);
    EXPECT_EQ(r.den, 1001);
    ASSERT_TRUE(parse_frame_rate("29.97", r));
    EXPECT_EQ(r.num, 2997);
    EXPECT_EQ(r.den, 100);
    ASSERT_TRUE(parse_frame_rate("240", r)); // both ends of the range are in it
    ASSERT_TRUE(parse_frame_rate("1000/1000", r));
    EXPECT_EQ(r.num, 1);
    ASSERT_TRUE(parse_frame_rate("50/2", r)); // reduced, so ffmpeg sees 25/1
    EXPECT_EQ(r.num, 25);
    EXPECT_EQ(r.den, 1);
    for (const char* bad : {"", "0", "0/5", "5/0", "-30", "30/", "/30", "1e2", "30fps", "30.", "241", "481/2", "0.99", "999/1000", "240.0000001"})
        EXPECT_FALSE(parse_frame_rate(bad, r)) << bad;
}

TEST(FrameRate, FrameRowsStayExactOverAWholeShow)
{
    // At 60000/1001 fps frame 12000 lies exactly at 1601.6 rows; summing a
    // rounded step would drift away from it.
    frame_rate r;
    ASSERT_TRUE(parse_frame_rate("60000/1001", r));
    EXPECT_EQ(frame_row(r, 0, 12000), 1601.6);
    EXPECT_EQ(frame_row(r, 10, 0), 10);
    EXPECT_EQ(frames_between(r, 0, 1601.6), 12000) << "the frame at the range's end is the next range's";
    EXPECT_EQ(frames_between(r, 0, 1601.61), 12001);
    ASSERT_TRUE(parse_frame_rate("10", r));
    EXPECT_EQ(frames_between(r, 400, 408), 10);
}

TEST(FrameRate, RangesHoldTheirStartAndNotTheirEnd)
{
    // 4 s of rows are 4 s of frames, and ranges that meet share no frame.
    frame_rate r;
    ASSERT_TRUE(parse_frame_rate("30", r));
    EXPECT_EQ(frames_between(r, 0, 32), 120);
    EXPECT_EQ(frames_between(r, 0, 16) + frames_between(r, 16, 32), 120);
    EXPECT_EQ(frames_between(r, 100.5, 101), 2) << "a frame every 4/15 row";
    EXPECT_EQ(frames_between(r, 10, 10), 0);
    EXPECT_EQ(frames_between(r, 10, 9), 0);
}

TEST(FrameRate, FirstFrameOfARangeIsTheShowsOwn)
{
    // Frames of a range are named by their index in the show: the first is
    // the first frame time at or after `from`, wherever `from` falls.
    frame_rate r;
    ASSERT_TRUE(parse_frame_rate("10", r)); // a frame every 0.8 rows
    EXPECT_EQ(first_frame_at(r, 0), 0);
    EXPECT_EQ(first_frame_at(r, 1), 2);
    EXPECT_EQ(first_frame_at(r, 1.6), 2);
    ASSERT_TRUE(parse_frame_rate("60000/1001", r));
    EXPECT_EQ(first_frame_at(r, 1601.6), 12000); // exactly on a frame, despite rounding
    EXPECT_EQ(first_frame_at(r, 1601.61), 12001);
}

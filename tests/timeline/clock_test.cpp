#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "timeline/clock.h"

TEST(ShowClock, LiveCountsRowsOfAnEighthSecond)
{
    ASSERT_TRUE(clock_is_live()) << "the clock runs live unless pinned";
    start_clock();
    const double first = clock_now();
    EXPECT_GE(first, 0.0);
    EXPECT_LT(first, 0.01);
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    const double later = clock_now();
    EXPECT_GT(later, 2.0);
    EXPECT_LT(later, 3.0);
}

TEST(ShowClock, FrozenAlwaysReturnsItsRow)
{
    freeze_clock(800);
    EXPECT_FALSE(clock_is_live());
    start_clock();
    EXPECT_EQ(clock_now(), 800.0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(clock_now(), 800.0);
    freeze_clock(-1);
    EXPECT_TRUE(clock_is_live()) << "-1 runs it live again";
}

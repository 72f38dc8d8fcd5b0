#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "timeline/clock.h"

#if SWIPEMIX_FROZEN_TIME == -1
TEST(ShowClock, LiveCountsRowsOfAnEighthSecond)
{
    ASSERT_TRUE(clock_is_live());
    start_clock();
    const double first = clock_now();
    EXPECT_GE(first, 0.0);
    EXPECT_LT(first, 0.01);
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    const double later = clock_now();
    EXPECT_GT(later, 2.0);
    EXPECT_LT(later, 3.0);
}
#else
TEST(ShowClock, FrozenAlwaysReturnsItsRow)
{
    EXPECT_FALSE(clock_is_live());
    start_clock();
    EXPECT_EQ(clock_now(), 800.0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(clock_now(), 800.0);
}
#endif

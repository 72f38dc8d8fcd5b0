#include <gtest/gtest.h>

#include "tools/common/number.h"

TEST(ToolNumbers, TakeWholeFiniteNumbersOnly)
{
    double v = -1;
    EXPECT_TRUE(parse_number("12", v));
    EXPECT_EQ(v, 12.0);
    EXPECT_TRUE(parse_number("-0.5", v));
    EXPECT_EQ(v, -0.5);
    EXPECT_TRUE(parse_number("1e3", v));
    EXPECT_EQ(v, 1000.0);
    // Empty, trailing junk, and numbers no loop can count to.
    for (const char* bad : {"", "x", "12x", "1.5.2", "inf", "-inf", "nan", "1e999"})
        EXPECT_FALSE(parse_number(bad, v)) << bad;
}

TEST(ToolNumbers, RowsStopAtTheShowsEnd)
{
    double v = -1;
    EXPECT_TRUE(parse_row("0", v));
    EXPECT_TRUE(parse_row("1712", v));
    EXPECT_EQ(v, 1712.0);
    for (const char* bad : {"-0.01", "1712.001", "5000", "1e9", "1e12", "x"})
        EXPECT_FALSE(parse_row(bad, v)) << bad;
}

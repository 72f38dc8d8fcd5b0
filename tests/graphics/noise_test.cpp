#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "graphics/noise.h"
#include "shared/state.h"

TEST(Noise, FixedSequenceFromTheSeed)
{
    std::memset(&randdata, 0, sizeof randdata);
    fillrand();
    EXPECT_EQ(randdata.words[0], 0xCAADAA7Bu);
    EXPECT_EQ(randdata.words[1], 0xE2CD9222u);
    EXPECT_EQ(randdata.words[2], 0xDEEC1E6Eu);
    EXPECT_EQ(randdata.words[3], 0xFFF549DCu);
    EXPECT_EQ(frame_constants[slot_time], -5690685.5f);
    EXPECT_TRUE(std::isnan(frame_constants[slot_feed_position]));
    EXPECT_EQ(guid[3], 0x9C4FD335u) << "the last state word is a constant addend";
    EXPECT_EQ(reinterpret_cast<uintptr_t>(&randdata) % 16, 0u);

    // The whole block is filled, not just the frame constants.
    int zero_words = 0;
    for (int w = 262000; w < 262144; ++w)
        zero_words += randdata.words[w] == 0;
    EXPECT_LT(zero_words, 2);
}

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "tools/music/wav.h"

namespace {
uint32_t field(const std::string& s, size_t at, int bytes)
{
    uint32_t v = 0;
    std::memcpy(&v, s.data() + at, bytes);
    return v;
}
}

TEST(MusicWav, HeaderDescribesTheSamplesThatFollow)
{
    const std::vector<int16_t> samples = {0, -1, 32767, -32768, 5, 6};
    std::ostringstream out;
    write_wav(out, samples, 22050, 3);
    const std::string s = out.str();
    ASSERT_EQ(s.size(), 44u + 12u);
    EXPECT_EQ(s.substr(0, 4), "RIFF");
    EXPECT_EQ(field(s, 4, 4), s.size() - 8);
    EXPECT_EQ(s.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(field(s, 20, 2), 1u); // PCM
    EXPECT_EQ(field(s, 22, 2), 3u);
    EXPECT_EQ(field(s, 24, 4), 22050u);
    EXPECT_EQ(field(s, 28, 4), 22050u * 3 * 2); // bytes a second
    EXPECT_EQ(field(s, 32, 2), 6u);             // bytes a frame
    EXPECT_EQ(field(s, 34, 2), 16u);
    EXPECT_EQ(s.substr(36, 4), "data");
    EXPECT_EQ(field(s, 40, 4), 12u);
    EXPECT_EQ(std::memcmp(s.data() + 44, samples.data(), 12), 0);
}

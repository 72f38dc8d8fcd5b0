#include <gtest/gtest.h>

#include <cstdlib>

#include "music/stream_header.h"
#include "sound_files.h"

using namespace sound_files;

namespace {
TEST(MusicStreamHeader, Id3v2LengthCountsHeaderFooterAndSevenBitSizes)
{
    std::vector<unsigned char> tag{'I', 'D', '3', 4, 0, 0, 0x00, 0x7f, 0x7f, 0x7f};
    tag.resize(1 << 22);
    EXPECT_EQ(id3v2_bytes(tag.data(), uint32_t(tag.size())), 10u + (1 << 21) - 1);
    tag[5] = 0x10; // a footer follows
    EXPECT_EQ(id3v2_bytes(tag.data(), uint32_t(tag.size())), 20u + (1 << 21) - 1);
    EXPECT_EQ(id3v2_bytes(tag.data(), 1000), 1000u); // never past the bytes at hand
    tag[0] = 'X';
    EXPECT_EQ(id3v2_bytes(tag.data(), uint32_t(tag.size())), 0u);
}

TEST(MusicStreamHeader, CutFileIsToldFromAWholeOne)
{
    const std::string folder = temp_folder();
    for (const char* options : {"-b 128", "-V 4 --add-id3v2 --tt x", "-m m -b 96", "-b 64 --resample 22.05"}) {
        SCOPED_TRACE(options);
        const auto mp3 = read_bytes(make_mp3(folder, "t", 44100, 2, 2.0, options));
        EXPECT_FALSE(shorter_than_stated(mp3.data(), uint32_t(mp3.size())));
        EXPECT_TRUE(shorter_than_stated(mp3.data(), uint32_t(mp3.size() * 9 / 10)));
    }
    // Without an encoder header nothing is known, and the file is taken as whole.
    const auto bare = read_bytes(make_mp3(folder, "bare", 44100, 2, 2.0, "-t -b 128"));
    EXPECT_FALSE(shorter_than_stated(bare.data(), uint32_t(bare.size() / 2)));
    std::system(("rm -rf '" + folder + "'").c_str());
}
}

// A render's split into parts and the join's checks of them, without a GPU.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/capture/capture_parts.h"

namespace {
// Every split of these renders holds each frame once, cuts on keyframes only,
// and no part is empty or much longer than another.
TEST(PartSplit, EveryFrameOnceCutOnKeyframes)
{
    for (long frames : {1L, 59L, 60L, 61L, 240L, 1199L, 7211L})
        for (long every : {1L, 10L, 60L})
            for (int n = 1; n <= std::min(most_parts(frames, every), 9L); ++n) {
                long next = 0, shortest = frames, longest = 0;
                for (int k = 1; k <= n; ++k) {
                    const part_span s = part_frames(frames, every, k, n);
                    ASSERT_EQ(s.first, next) << frames << " frames, part " << k << "/" << n;
                    ASSERT_EQ(s.first % every, 0);
                    ASSERT_GT(s.end, s.first);
                    shortest = std::min(shortest, s.end - s.first);
                    longest = std::max(longest, s.end - s.first);
                    next = s.end;
                }
                EXPECT_EQ(next, frames);
                // The last part may be short by the keyframes' rest.
                EXPECT_LE(longest - shortest, 2 * every) << frames << " frames in " << n;
            }
}

TEST(PartSplit, KeyframesAndMostParts)
{
    EXPECT_EQ(keyframe_interval({60, 1}), 60);
    EXPECT_EQ(keyframe_interval({60000, 1001}), 60);
    EXPECT_EQ(keyframe_interval({1, 2}), 1);
    EXPECT_EQ(most_parts(120, 60), 2);
    EXPECT_EQ(most_parts(121, 60), 3);
    const part_span three = part_frames(180, 60, 2, 3);
    EXPECT_EQ(three.first, 60);
    EXPECT_EQ(three.end, 120);
}

TEST(PartTags, ReadBackAsWritten)
{
    const part_tag t{2, 3, {60, 120}, 200, render_range(1.5, 34, {60000, 1001}), render_look(640, true)};
    part_tag back;
    ASSERT_TRUE(read_part_tag(write_part_tag(t), back)) << write_part_tag(t);
    EXPECT_EQ(back.k, 2);
    EXPECT_EQ(back.n, 3);
    EXPECT_EQ(back.span.first, 60);
    EXPECT_EQ(back.span.end, 120);
    EXPECT_EQ(back.frames, 200);
    EXPECT_EQ(back.range, "rows 1.5-34 at 60000/1001 fps");
    EXPECT_EQ(back.look, "width 640, column");
    EXPECT_EQ(read_sound_tag(write_sound_tag(t.range)), t.range);
    // Nothing else reads as a part or a soundtrack.
    for (const char* other : {"", "Lavf59", "swipemix-capture part 4/3 frames 0-1 of 2; a; b",
                              "swipemix-capture part 1/1 frames 5-2 of 9; a; b", "swipemix-capture part 1/1 frames 0-1 of 1"})
        EXPECT_FALSE(read_part_tag(other, back)) << other;
    EXPECT_EQ(read_sound_tag("swipemix-capture part 1/1"), "");
}

struct JoinCheck : ::testing::Test {
    std::string range = render_range(0, 24, {10, 1});
    std::vector<join_input> parts;
    join_input sound{"s.wav", write_sound_tag(range), -1};
    void SetUp() override
    {
        for (int k = 1; k <= 3; ++k) {
            const part_span s = part_frames(30, 10, k, 3);
            parts.push_back({"p" + std::to_string(k) + ".mp4",
                             write_part_tag({k, 3, s, 30, range, render_look(64, true)}), s.end - s.first});
        }
    }
};

TEST_F(JoinCheck, WholeRenderPasses) { EXPECT_EQ(check_join(parts, sound), ""); }

TEST_F(JoinCheck, MissingPartsAreNamed)
{
    auto middle = parts;
    middle.erase(middle.begin() + 1);
    EXPECT_EQ(check_join(middle, sound), "part 2/3 (frames from 10 on) is missing before p3.mp4");
    auto last = parts;
    last.pop_back();
    EXPECT_EQ(check_join(last, sound), "part 3/3 (frames from 20 on) is missing after p2.mp4");
    EXPECT_EQ(check_join({}, sound), "--join needs the parts to join");
}

TEST_F(JoinCheck, ForeignOrUnfinishedPartsAreNamed)
{
    auto foreign = parts;
    foreign[2].tag = write_part_tag({3, 3, {20, 30}, 30, range, render_look(1920, false)});
    EXPECT_EQ(check_join(foreign, sound), "p3.mp4 is a part of another render (rows 0-24 at 10/1 fps, width 1920, whole, 3 "
                                          "parts) than p1.mp4 (rows 0-24 at 10/1 fps, width 64, column, 3 parts)");
    auto other_split = parts;
    other_split[1].tag = write_part_tag({2, 2, {10, 30}, 30, range, render_look(64, true)});
    EXPECT_NE(check_join(other_split, sound).find("p2.mp4 is a part of another render"), std::string::npos);
    auto plain = parts;
    plain[0].tag = "";
    EXPECT_EQ(check_join(plain, sound), "p1.mp4 is not a part made by swipemix-capture --part");
    auto twice = parts;
    twice[1] = twice[0];
    EXPECT_EQ(check_join(twice, sound), "p1.mp4 is part 1/3 again, or out of order");
    auto short_part = parts;
    short_part[1].frames = 4;
    EXPECT_EQ(check_join(short_part, sound), "p2.mp4 holds 4 frames of its 10: it was not finished");
}

TEST_F(JoinCheck, SoundOfAnotherRangeIsRefused)
{
    join_input other = sound;
    other.tag = write_sound_tag(render_range(0, 24, {30, 1}));
    EXPECT_EQ(check_join(parts, other), "s.wav is the soundtrack of rows 0-24 at 30/1 fps, not of the parts' " + range);
    other.tag = parts[0].tag;
    EXPECT_EQ(check_join(parts, other), "s.wav is not a soundtrack made by swipemix-capture --sound-only");
}
}

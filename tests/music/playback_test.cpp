#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "music/authoring.h"
#include "timeline/clock.h"

namespace {
constexpr uint32_t frame_bytes = 44100 / 30 * 4; // one video frame's sound at 30 fps

// Track k's sample frame i holds (k, i), so every recorded frame tells where it came from.
std::vector<int16_t> buffers[track_slots];

struct heard {
    int track; // -1 for silence
    int frame;
};

class MusicSwitching : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        use_recorder();
        for (int k = 0; k < entry_count; ++k) {
            buffers[k].resize(2 * 44100 * (k == 7 ? 0.01 : 3.0));
            for (size_t i = 0; i < buffers[k].size() / 2; ++i)
                buffers[k][2 * i] = int16_t(k + 1), buffers[k][2 * i + 1] = int16_t(i % 30000);
            track_table[k] = {uint32_t(buffers[k].size() * 2), 0.0, reinterpret_cast<unsigned char*>(buffers[k].data())};
        }
        play_track(track_table[0]);
    }

    // One frame of the show: the feed names a track, then a frame's worth of sound plays.
    std::vector<heard> frame(int n)
    {
        select_track(n);
        return record(frame_bytes);
    }
    std::vector<heard> record(uint32_t bytes)
    {
        std::vector<int16_t> out(bytes / 2);
        pull_samples(reinterpret_cast<unsigned char*>(out.data()), bytes);
        std::vector<heard> frames;
        for (size_t i = 0; i < out.size(); i += 2)
            frames.push_back(out[i] ? heard{out[i] - 1, out[i + 1]} : heard{-1, out[i + 1]});
        return frames;
    }
    // True when the frames continue track k from its sample frame `from` without a gap.
    static bool plays(const std::vector<heard>& frames, int k, int from)
    {
        for (size_t i = 0; i < frames.size(); ++i)
            if (frames[i].track != k || frames[i].frame != int((from + i) % 30000))
                return false;
        return true;
    }
    static bool silent(const std::vector<heard>& frames)
    {
        for (const heard& h : frames)
            if (h.track != -1 || h.frame != 0)
                return false;
        return true;
    }
};

TEST_F(MusicSwitching, SwitchRestartsTheNewTrackOnThatFrame)
{
    const int per_frame = int(frame_bytes / 4);
    EXPECT_TRUE(plays(frame(0), 0, 0));
    EXPECT_TRUE(plays(frame(0), 0, per_frame)) << "the same index keeps playing";
    frame(3);
    EXPECT_TRUE(plays(frame(3), 3, per_frame));
    EXPECT_TRUE(plays(frame(4), 4, 0)) << "entry 4 from its first sample on the frame its index appears";
    EXPECT_TRUE(plays(frame(4), 4, per_frame));
    EXPECT_EQ(current_track, 4);
}

TEST_F(MusicSwitching, HesitantSwipeRestartsTheOldTrack)
{
    const int per_frame = int(frame_bytes / 4);
    frame(10);
    frame(10);
    EXPECT_TRUE(plays(frame(11), 11, 0));
    EXPECT_TRUE(plays(frame(10), 10, 0)) << "falling back starts the old track over";
    EXPECT_TRUE(plays(frame(10), 10, per_frame));
}

TEST_F(MusicSwitching, EmptySlotsAndBufferEndsAreSilent)
{
    for (int n : {37, 43, 44, -1}) {
        frame(0);
        EXPECT_TRUE(silent(frame(n))) << n;
    }
    // Track 7 lasts 441 frames: it plays them, then silence, and nothing loops.
    const auto frames = frame(7);
    EXPECT_TRUE(plays({frames.begin(), frames.begin() + 441}, 7, 0));
    EXPECT_TRUE(silent({frames.begin() + 441, frames.end()}));
    EXPECT_TRUE(silent(frame(7)));
}

TEST_F(MusicSwitching, OnlyWholeFramesReachTheOutput)
{
    // Ten frames and a half: the half frame is never played.
    const music_track odd{42, 0.0, track_table[5].pcm};
    restart_track(odd, 0.0);
    const auto frames = record(48);
    EXPECT_TRUE(plays({frames.begin(), frames.begin() + 10}, 5, 0));
    EXPECT_TRUE(silent({frames.begin() + 10, frames.end()}));
}

TEST_F(MusicSwitching, RestartPastTheEndPlaysTheLastFourFrames)
{
    const music_track& t = track_table[6];
    const int last = int(t.pcm_bytes / 4);
    for (double seconds : {3.0, 100.0, -1.0}) {
        restart_track(t, seconds);
        const auto frames = record(64);
        EXPECT_TRUE(plays({frames.begin(), frames.begin() + 4}, 6, last - 4)) << seconds;
        EXPECT_TRUE(silent({frames.begin() + 4, frames.end()})) << seconds;
    }
    restart_track(t, 1.0);
    EXPECT_TRUE(plays(record(64), 6, 44100));
    // A buffer that does not end on a whole frame still ends on one.
    restart_track(music_track{t.pcm_bytes - 2, 0.0, t.pcm}, 5.0);
    const auto frames = record(64);
    EXPECT_TRUE(plays({frames.begin(), frames.begin() + 4}, 6, last - 5));
    EXPECT_TRUE(silent({frames.begin() + 4, frames.end()}));
}

TEST_F(MusicSwitching, FrozenClockStopsTheMusicAndRestartsNothing)
{
    freeze_clock(800);
    current_track = 0;
    play_track(track_table[0]);
    EXPECT_TRUE(plays(frame(0), 0, 0)) << "the first track plays until the index changes";
    EXPECT_TRUE(silent(frame(22)));
    EXPECT_EQ(current_track, 22);
    EXPECT_TRUE(silent(frame(22)));
    EXPECT_TRUE(silent(frame(0)));
    freeze_clock(-1);
}
}

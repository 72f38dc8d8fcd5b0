#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "music/playback.h"
#include "sound_files.h"

namespace {
uintmax_t size_of(const std::string& file)
{
    std::error_code missing;
    const uintmax_t size = std::filesystem::file_size(file, missing);
    return missing ? 0 : size;
}

// Waits, up to ten seconds, for the device to have written this much.
void wait_for(const std::string& file, uintmax_t bytes)
{
    for (int i = 0; i < 1000 && size_of(file) < bytes; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// Plain static storage: the audio thread may still read it while the process exits.
int16_t buffers[2][2 * 44100 * 2];

// SDL's disk driver stands in for a sound card: it writes what it plays to a file, in real time.
TEST(MusicDevice, DiskDriverPlaysEachTrackFromItsStart)
{
    const std::string folder = sound_files::temp_folder(), played = folder + "/played.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", played.c_str(), 1);
    for (int k = 0; k < 2; ++k) {
        for (size_t i = 0; i < std::size(buffers[k]); ++i)
            buffers[k][i] = int16_t(k * 10000 + i % 5000 + 1);
        track_table[k] = {uint32_t(sizeof buffers[k]), 2.0, reinterpret_cast<unsigned char*>(buffers[k])};
    }
    play_track(track_table[0]);
    wait_for(played, 176400 / 5);
    const uintmax_t switched = size_of(played);
    select_track(1);
    wait_for(played, switched + 176400 / 2);

    const auto bytes = sound_files::read_bytes(played);
    const auto* samples = reinterpret_cast<const int16_t*>(bytes.data());
    const size_t count = bytes.size() / 2;
    ASSERT_GT(count, 2 * 44100 * 0.6);
    // The driver's thread may write a buffer of silence before the device is
    // unpaused; on a busy machine it often does. No sample of ours is 0.
    size_t start = 0;
    while (start < count && samples[start] == 0)
        ++start;
    ASSERT_LT(start + 2 * 4410, count);
    ASSERT_TRUE(std::equal(samples + start, samples + start + 2 * 4410, buffers[0]));
    // Track 0 runs up to the switch, then track 1 starts from its first sample.
    size_t at = start;
    while (at < count && samples[at] < 10000)
        ++at;
    ASSERT_LT(at + 2 * 4410, count);
    EXPECT_TRUE(std::equal(samples + at, samples + at + 2 * 4410, buffers[1]));
    std::system(("rm -rf '" + folder + "'").c_str());
}

struct no_device_case {
    const char* name;
    const char* driver;
    const char* said; // all of stderr
};
class MusicNoDevice : public testing::TestWithParam<no_device_case> {};

TEST_P(MusicNoDevice, OneLineSaysTheShowRunsSilent)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // a fresh process, whatever audio ran before
    EXPECT_EXIT(
        {
            setenv("SDL_AUDIODRIVER", GetParam().driver, 1);
            play_track(track_table[0]);
            select_track(1);
            std::exit(0);
        },
        testing::ExitedWithCode(0), GetParam().said);
}

// Where ALSA finds no sound card it has a lot to say, but only our line gets
// through; where it finds one, the device opens and nothing is said.
constexpr const char* one_line = "^swipemix: no audio output \\([^\n]*\\); the show runs silent\n$";
INSTANTIATE_TEST_SUITE_P(, MusicNoDevice,
                         testing::Values(no_device_case{"unknown_driver", "no-such-driver", one_line},
                                         no_device_case{"alsa", "alsa", "^(swipemix: no audio output [^\n]*\n)?$"}),
                         [](const auto& info) { return std::string(info.param.name); });
}

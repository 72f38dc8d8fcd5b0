#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "music/tracks.h"
#include "sound_files.h"

using namespace sound_files;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {
std::string folder, good;

class MusicBadFiles : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = temp_folder();
        good = make_mp3(folder, "good", 44100, 2, 4.0, "-b 128");
    }
    static void TearDownTestSuite() { std::system(("rm -rf '" + folder + "'").c_str()); }
    void TearDown() override { std::free(track.pcm); }

    // Loads path and checks what every bad file must give: a playable buffer
    // and one line on stderr that names the file.
    void load_bad(const std::string& path, const char* problem)
    {
        SCOPED_TRACE(path);
        CaptureStderr();
        load_track(track, path.c_str());
        const std::string said = GetCapturedStderr();
        EXPECT_NE(said.find(path), std::string::npos) << said;
        EXPECT_NE(said.find(problem), std::string::npos) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_TRUE(track.pcm_bytes == 0 || track.pcm != nullptr);
    }

    std::string file_of(const char* name, const std::vector<unsigned char>& bytes)
    {
        const std::string path = folder + "/" + name;
        write_bytes(path, bytes);
        return path;
    }

    music_track track{};
};

TEST_F(MusicBadFiles, GoodFileLoadsSilently)
{
    CaptureStderr();
    EXPECT_EQ(load_track(track, good.c_str()), track_ok);
    EXPECT_EQ(GetCapturedStderr(), "");
    EXPECT_EQ(track.pcm_bytes, 4 * 176400u);
}

TEST_F(MusicBadFiles, UnreadableFilesLeaveAnEmptyTrack)
{
    load_bad(folder + "/missing.mp3", "No such file");
    EXPECT_EQ(track.pcm_bytes, 0u);
    load_bad(folder, "not a regular file");
    EXPECT_EQ(track.pcm_bytes, 0u);
    load_bad(file_of("empty.mp3", {}), "is empty");
    EXPECT_EQ(track.pcm_bytes, 0u);
}

TEST_F(MusicBadFiles, FilesWithoutMp3AudioGiveSilence)
{
    std::vector<unsigned char> noise(100000);
    uint32_t seed = 1;
    for (auto& b : noise)
        b = uint8_t((seed = seed * 1664525u + 1013904223u) >> 24);
    const std::string text(5000, 'x');
    for (const auto& path : {file_of("noise.mp3", noise), file_of("text.mp3", {text.begin(), text.end()}),
                             folder + "/good.wav"}) {
        std::free(track.pcm);
        load_bad(path, "holds no MP3 audio");
        for (uint32_t i = 0; i < track.pcm_bytes; ++i)
            ASSERT_EQ(track.pcm[i], 0) << path;
    }
}

TEST_F(MusicBadFiles, TruncatedFileKeepsWhatDecodes)
{
    const auto whole = read_bytes(good);
    ASSERT_EQ(decode_track(track, whole.data(), uint32_t(whole.size())), track_ok);
    const std::vector<unsigned char> intact(track.pcm, track.pcm + track.pcm_bytes);
    std::free(track.pcm);

    load_bad(file_of("cut.mp3", {whole.begin(), whole.begin() + whole.size() / 2}), "cut short");
    ASSERT_EQ(track.pcm_bytes, intact.size()); // as the header states
    const size_t kept = size_t(last_decode.decoded_bytes);
    EXPECT_GT(kept, intact.size() / 3);
    EXPECT_TRUE(std::equal(track.pcm, track.pcm + kept, intact.begin()));
    EXPECT_TRUE(std::all_of(track.pcm + kept, track.pcm + track.pcm_bytes, [](unsigned char b) { return b == 0; }));
}

TEST_F(MusicBadFiles, AbsurdHeaderCannotInflateTheBuffer)
{
    auto bytes = read_bytes(good);
    patch_frame_count(bytes, 0x7fffffff); // some 25 days
    load_bad(file_of("absurd.mp3", bytes), "cut short");
    // No file decodes to more than its size at 8 kbit/s.
    EXPECT_LE(track.pcm_bytes, bytes.size() / 1000.0 * 176400);
    EXPECT_GE(track.pcm_bytes, 4 * 176400u);
}

TEST_F(MusicBadFiles, MissingMusicFolderLeavesEveryEntrySilent)
{
    const auto here = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    CaptureStderr();
    load_tracks();
    const std::string said = GetCapturedStderr();
    std::filesystem::current_path(here);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), entry_count);
    for (int k = 0; k < track_slots; ++k)
        EXPECT_EQ(track_table[k].pcm_bytes, 0u) << k;
}
}

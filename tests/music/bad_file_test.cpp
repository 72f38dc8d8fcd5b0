#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>

#include "music/tracks.h"
#include "sound_files.h"

using namespace sound_files;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {
std::string folder, good;
std::vector<unsigned char> good_pcm;
// PCM bytes of two MPEG-1 frames: a scan of the frames keeps the encoder's delay and padding.
constexpr int frame_slack = 2 * 1152 * 4;

class MusicBadFiles : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = temp_folder();
        good = make_mp3(folder, "good", 44100, 2, 4.0, "-b 128");
        music_track track{};
        load_track(*std::make_unique<mp3_decoder>(), track, good.c_str());
        good_pcm.assign(track.pcm, track.pcm + track.pcm_bytes);
        std::free(track.pcm);
    }
    static void TearDownTestSuite() { std::system(("rm -rf '" + folder + "'").c_str()); }
    void TearDown() override { std::free(track.pcm); }

    // Loads path and checks what every bad file must give: a playable buffer,
    // one line on stderr that names the file, and a good track loaded after
    // it as before. A load that hangs ends the test run by the alarm.
    void load_bad(const std::string& path, const char* problem)
    {
        SCOPED_TRACE(path);
        alarm(60);
        load_track(decoder, track, path.c_str());
        alarm(0);
        const std::string said = decoder.said;
        EXPECT_NE(said.find(path), std::string::npos) << said;
        EXPECT_NE(said.find(problem), std::string::npos) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_TRUE(track.pcm_bytes == 0 || track.pcm != nullptr);

        // The same decoder goes on to a good file as if it were new.
        const decode_report bad_report = decoder.report; // for the caller's checks
        music_track other{};
        load_track(decoder, other, good.c_str());
        EXPECT_STREQ(decoder.said, "");
        EXPECT_TRUE(std::equal(other.pcm, other.pcm + other.pcm_bytes, good_pcm.begin(), good_pcm.end()));
        std::free(other.pcm);
        decoder.report = bad_report;
    }

    // A file of this many bytes, all zero, that takes no room on disk.
    std::string sparse_file(const char* name, uint64_t bytes)
    {
        const std::string path = folder + "/" + name;
        run("truncate -s " + std::to_string(bytes) + " '" + path + "'");
        return path;
    }

    std::string file_of(const char* name, const std::vector<unsigned char>& bytes)
    {
        const std::string path = folder + "/" + name;
        write_bytes(path, bytes);
        return path;
    }

    music_track track{};
    mp3_decoder decoder{};
};

TEST_F(MusicBadFiles, GoodFileLoadsSilently)
{
    CaptureStderr();
    EXPECT_EQ(load_track(decoder, track, good.c_str()), track_ok);
    EXPECT_EQ(GetCapturedStderr(), "");
    EXPECT_STREQ(decoder.said, "");
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
    ASSERT_EQ(decode_track(decoder, track, whole.data(), uint32_t(whole.size())), track_ok);
    const std::vector<unsigned char> intact(track.pcm, track.pcm + track.pcm_bytes);
    std::free(track.pcm);

    load_bad(file_of("cut.mp3", {whole.begin(), whole.begin() + whole.size() / 2}), "cut short");
    ASSERT_EQ(track.pcm_bytes, intact.size()); // as the header states
    const size_t kept = size_t(decoder.report.decoded_bytes);
    EXPECT_GT(kept, intact.size() / 3);
    EXPECT_TRUE(std::equal(track.pcm, track.pcm + kept, intact.begin()));
    EXPECT_TRUE(std::all_of(track.pcm + kept, track.pcm + track.pcm_bytes, [](unsigned char b) { return b == 0; }));
}

TEST_F(MusicBadFiles, ForgedFrameCountFollowsTheFrames)
{
    const auto whole = read_bytes(good);
    for (uint32_t frames : {0x7fffffffu, 20000u}) { // some 25 days; 521 s
        auto forged = whole;
        patch_frame_count(forged, frames);
        std::free(track.pcm);
        load_bad(file_of("forged.mp3", forged), "but its frames hold 4.0 s");
        EXPECT_NEAR(track.pcm_bytes, 4 * 176400, frame_slack) << frames;
    }
}

TEST_F(MusicBadFiles, CutFileWithForgedFrameCountStaysWithinItsSize)
{
    // Cut short, the file may well hold fewer frames than its header counts:
    // the header is believed, but only as far as the file's size allows.
    auto bytes = read_bytes(good);
    patch_frame_count(bytes, 0x7fffffff);
    bytes.resize(bytes.size() / 2);
    load_bad(file_of("forged-cut.mp3", bytes), "cut short");
    EXPECT_LE(track.pcm_bytes, bytes.size() / 1000.0 * 176400); // the size at 8 kbit/s
    EXPECT_GT(decoder.report.decoded_bytes, good_pcm.size() / 3);
}

// A show whose entry 5 is the bad file and every other entry the good one:
// the bad one gives its line (none for a good file) and the others load whole. A bad file that hangs
// start-up is caught by the test's time limit.
class MusicBadFileInAShow : public MusicBadFiles {
protected:
    void start_show(const std::function<void(const std::string&)>& make_bad, const char* problem)
    {
        const std::string show = folder + "/show";
        run("rm -rf '" + show + "' && mkdir -p '" + show + "/Music'");
        for (int k = 0; k < entry_count; ++k)
            if (k != bad_entry)
                std::filesystem::create_symlink(good, show + "/" + track_paths[k]);
        make_bad(show + "/" + track_paths[bad_entry]);
        for (int k = 0; k < track_slots; ++k)
            std::free(track_table[k].pcm), track_table[k] = {};

        const auto here = std::filesystem::current_path();
        std::filesystem::current_path(show);
        CaptureStderr();
        load_tracks();
        said = GetCapturedStderr();
        std::filesystem::current_path(here);

        if (!problem)
            EXPECT_EQ(said, "");
        else {
            EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
            EXPECT_NE(said.find(track_paths[bad_entry]), std::string::npos) << said;
            EXPECT_NE(said.find(problem), std::string::npos) << said;
        }
        const auto mp3 = read_bytes(good);
        ASSERT_EQ(decode_track(decoder, track, mp3.data(), uint32_t(mp3.size())), track_ok);
        for (int k = 0; k < entry_count; ++k)
            if (k != bad_entry) {
                ASSERT_EQ(track_table[k].pcm_bytes, track.pcm_bytes) << k;
                EXPECT_EQ(std::memcmp(track_table[k].pcm, track.pcm, track.pcm_bytes), 0) << k;
            }
    }
    const music_track& bad() const { return track_table[bad_entry]; }

    static constexpr int bad_entry = 5;
    std::string said;
};

TEST_F(MusicBadFileInAShow, NamedPipeIsNotWaitedOn)
{
    start_show([](const std::string& path) { run("mkfifo '" + path + "'"); }, "not a regular file");
    EXPECT_EQ(bad().pcm_bytes, 0u);
}

TEST_F(MusicBadFileInAShow, HugeSparseFileIsRefusedUnread)
{
    start_show([](const std::string& path) { run("truncate -s 4095M '" + path + "'"); }, "larger than 256 MiB");
    EXPECT_EQ(bad().pcm_bytes, 0u);
}

TEST_F(MusicBadFileInAShow, JunkHeadStopsTheReading)
{
    // Audio after 8 MiB of nothing is never reached.
    start_show(
        [](const std::string& path) {
            run("truncate -s 8M '" + path + "' && cat '" + good + "' >> '" + path + "' && truncate -s 200M '" + path +
                "'");
        },
        "holds no MP3 audio in its first 4 MiB");
    EXPECT_EQ(bad().pcm_bytes, 0u);
}

TEST_F(MusicBadFileInAShow, LargeTagBeforeTheAudioIsReadPast)
{
    // A tag larger than the probe: the look for a frame starts after it.
    start_show(
        [](const std::string& path) {
            const uint32_t body = 6 << 20;
            std::vector<unsigned char> tag{'I', 'D', '3', 4, 0, 0};
            for (int shift : {21, 14, 7, 0})
                tag.push_back(uint8_t((body >> shift) & 0x7f));
            tag.resize(10 + body); // padding
            const auto mp3 = read_bytes(good);
            tag.insert(tag.end(), mp3.begin(), mp3.end());
            write_bytes(path, tag);
        },
        nullptr);
    ASSERT_EQ(bad().pcm_bytes, track.pcm_bytes);
    EXPECT_GT(std::count_if(bad().pcm, bad().pcm + bad().pcm_bytes, [](unsigned char b) { return b != 0; }),
              bad().pcm_bytes / 2);
}

TEST_F(MusicBadFileInAShow, TagClaimingMoreThanTheFileIsReadPast)
{
    // A tag header claiming 256 MiB right before the audio: players find the
    // frames after it, in a small file and in one larger than the probe.
    for (const uint32_t trailing : {0u, 5u << 20}) {
        SCOPED_TRACE(trailing);
        std::free(track.pcm); // the good track the last show was checked against
        start_show(
            [trailing](const std::string& path) {
                std::vector<unsigned char> bytes{'I', 'D', '3', 4, 0, 0, 0x7f, 0x7f, 0x7f, 0x7f};
                const auto mp3 = read_bytes(good);
                bytes.insert(bytes.end(), mp3.begin(), mp3.end());
                bytes.resize(bytes.size() + trailing);
                write_bytes(path, bytes);
            },
            nullptr);
        ASSERT_EQ(bad().pcm_bytes, track.pcm_bytes);
        EXPECT_GT(std::count_if(bad().pcm, bad().pcm + bad().pcm_bytes, [](unsigned char b) { return b != 0; }),
                  bad().pcm_bytes / 2);
    }
}

TEST_F(MusicBadFileInAShow, ForgedFrameCountGivesAShortTrack)
{
    start_show(
        [](const std::string& path) {
            auto forged = read_bytes(good);
            patch_frame_count(forged, 20000); // 521 s in a 4 s file
            write_bytes(path, forged);
        },
        "but its frames hold 4.0 s");
    EXPECT_NEAR(bad().pcm_bytes, 4 * 176400, frame_slack);
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

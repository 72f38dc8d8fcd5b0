#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "music/tracks.h"
#include "sound_files.h"

using namespace sound_files;

namespace {
std::string folder;

class MusicDecode : public testing::Test {
protected:
    static void SetUpTestSuite() { folder = temp_folder(); }
    static void TearDownTestSuite() { std::system(("rm -rf '" + folder + "'").c_str()); }
    void TearDown() override { std::free(track.pcm); }

    uint32_t decode(const std::vector<unsigned char>& bytes)
    {
        std::free(track.pcm);
        track = {};
        return decode_track(decoder, track, bytes.data(), uint32_t(bytes.size()));
    }
    std::vector<unsigned char> pcm() const { return {track.pcm, track.pcm + track.pcm_bytes}; }

    music_track track{};
    mp3_decoder decoder{};
};

TEST_F(MusicDecode, BufferSizeFollowsTheStatedDuration)
{
    for (const char* options : {"-b 128", "-V 4"}) {
        const std::string mp3 = make_mp3(folder, "ten", 44100, 2, 10.0, options);
        ASSERT_EQ(decode(read_bytes(mp3)), track_ok);
        EXPECT_DOUBLE_EQ(track.duration, 10.0) << options;
        EXPECT_EQ(track.pcm_bytes, 1764000u) << options;
    }
}

TEST_F(MusicDecode, FeedsOnlyWholeChunksFromTheFirstByte)
{
    // At 32 kbit/s a 522-byte chunk holds several whole frames.
    const auto full = read_bytes(make_mp3(folder, "low", 44100, 2, 2.0, "-b 32"));
    ASSERT_GT(full.size(), 1044u);
    auto first = [&](size_t n) { return std::vector<unsigned char>(full.begin(), full.begin() + n); };

    decode(first(522));
    const auto one_chunk = pcm();
    const uint64_t one_chunk_decoded = decoder.report.decoded_bytes;
    ASSERT_GT(one_chunk_decoded, 0u);
    ASSERT_GE(one_chunk.size(), one_chunk_decoded);

    // The last 478 bytes change neither what is fed nor what comes out.
    decode(first(1000));
    EXPECT_EQ(decoder.report.chunks_fed, 1u);
    EXPECT_EQ(decoder.report.decoded_bytes, one_chunk_decoded);
    EXPECT_TRUE(std::equal(one_chunk.begin(), one_chunk.begin() + one_chunk_decoded, track.pcm));

    decode(first(1044));
    EXPECT_EQ(decoder.report.chunks_fed, 2u);
    EXPECT_GT(decoder.report.decoded_bytes, one_chunk_decoded);
}

TEST_F(MusicDecode, DropsWhatDecodesBeyondTheStatedLength)
{
    auto bytes = read_bytes(make_mp3(folder, "long", 44100, 2, 3.0, "-b 128"));
    decode(bytes);
    const auto whole = pcm();

    patch_frame_count(bytes, 40); // about one second
    decode(bytes);
    ASSERT_GT(track.pcm_bytes, 100000u);
    ASSERT_LT(track.pcm_bytes, whole.size() / 2);
    EXPECT_GT(decoder.report.decoded_bytes, track.pcm_bytes);
    EXPECT_TRUE(std::equal(track.pcm, track.pcm + track.pcm_bytes, whole.begin()));
}

struct oracle_case {
    const char* name;
    int rate, channels;
    const char* lame_options;
};

class MusicDecodeOracle : public MusicDecode, public testing::WithParamInterface<oracle_case> {};

// Signal-to-noise ratio of ours against reference, at the lag that suits it best.
double snr_db(const int16_t* ours, size_t our_frames, const int16_t* reference, size_t reference_frames)
{
    const long margin = 4410, max_lag = 1200;
    const long end = long(std::min(our_frames, reference_frames)) - margin;
    auto measure = [&](long lag, long stride) {
        double signal = 0.0, noise = 0.0;
        for (long i = margin; i < end; i += stride)
            for (int c = 0; c < 2; ++c) {
                const double r = reference[2 * i + c], d = ours[2 * (i + lag) + c] - r;
                signal += r * r, noise += d * d;
            }
        return 10.0 * std::log10(signal / std::max(noise, 1e-9));
    };
    long best = 0;
    double best_snr = measure(0, 7);
    for (long lag = -max_lag; lag <= max_lag; ++lag)
        if (const double snr = measure(lag, 7); snr > best_snr)
            best = lag, best_snr = snr;
    return measure(best, 1);
}

TEST_P(MusicDecodeOracle, AgreesWithFfmpeg)
{
    const oracle_case c = GetParam();
    const std::string mp3 = make_mp3(folder, c.name, c.rate, c.channels, 3.0, c.lame_options);
    const std::string raw = folder + "/" + c.name + ".raw";
    // A mono file plays on both sides at full level.
    run("ffmpeg -v error -y -i '" + mp3 + "' -af 'pan=stereo|c0=c0|c1=c" + (c.channels == 1 ? "0" : "1") +
        "' -ar 44100 -f s16le '" + raw + "'");
    ASSERT_EQ(decode(read_bytes(mp3)), track_ok);
    EXPECT_NEAR(track.duration, 3.0, 0.001);
    EXPECT_EQ(track.pcm_bytes, uint32_t(std::trunc(track.duration * 176400)));

    const auto reference = read_bytes(raw);
    // Compare only what both decoded: the final short chunk is never fed.
    const size_t ours = std::min<uint64_t>(track.pcm_bytes, decoder.report.decoded_bytes) / 4;
    ASSERT_GT(ours, 2 * 44100u);
    const double snr = snr_db(reinterpret_cast<const int16_t*>(track.pcm), ours,
                              reinterpret_cast<const int16_t*>(reference.data()), reference.size() / 4);
    EXPECT_GE(snr, 30.0);
    std::printf("%s: %.1f dB\n", c.name, snr);
}

INSTANTIATE_TEST_SUITE_P(, MusicDecodeOracle,
                         testing::Values(oracle_case{"cbr", 44100, 2, "-b 128"}, oracle_case{"vbr", 44100, 2, "-V 2"},
                                         oracle_case{"mono", 44100, 1, "-b 64"},
                                         oracle_case{"rate22050", 22050, 2, "-b 64 --resample 22.05"},
                                         oracle_case{"mono22050", 22050, 1, "-V 5 --resample 22.05"},
                                         oracle_case{"rate48000", 48000, 2, "-b 160 --resample 48"}),
                         [](const auto& info) { return std::string(info.param.name); });
}

namespace {
uint64_t fnv1a(const unsigned char* bytes, size_t size)
{
    uint64_t h = 0xcbf29ce484222325u;
    for (size_t i = 0; i < size; ++i)
        h = (h ^ bytes[i]) * 0x100000001b3u;
    return h;
}
}

// Files at each rate the resampler treats its own way, decoded one after
// another and then all at once, each with its own decoder: the samples are the
// bytes the decoder gave before it could run on several threads.
TEST_F(MusicDecode, SamplesStayByteForByte)
{
    struct pinned {
        oracle_case file;
        uint64_t checksum;
    };
    const pinned cases[] = {{{"pin44100", 44100, 2, "-b 128"}, 0xe514a808b112e34eu},
                            {{"pin22050", 22050, 1, "-V 5 --resample 22.05"}, 0xfab378b70a96a851u},
                            {{"pin48000", 48000, 2, "-b 160 --resample 48"}, 0x7ff0dc495d4e36abu}};
    std::vector<unsigned char> files[3];
    for (int k = 0; k < 3; ++k) {
        const oracle_case& c = cases[k].file;
        files[k] = read_bytes(make_mp3(folder, c.name, c.rate, c.channels, 3.0, c.lame_options));
        ASSERT_EQ(decode(files[k]), track_ok);
        EXPECT_EQ(track.pcm_bytes, 529200u) << c.name;
        EXPECT_EQ(fnv1a(track.pcm, track.pcm_bytes), cases[k].checksum) << c.name;
    }
    const auto decoders = std::make_unique<mp3_decoder[]>(6);
    music_track tracks[6] = {};
    std::thread threads[6];
    for (int k = 0; k < 6; ++k)
        threads[k] = std::thread(
            [&, k] { decode_track(decoders[k], tracks[k], files[k % 3].data(), uint32_t(files[k % 3].size())); });
    for (int k = 0; k < 6; ++k) {
        threads[k].join();
        EXPECT_EQ(fnv1a(tracks[k].pcm, tracks[k].pcm_bytes), cases[k % 3].checksum) << cases[k % 3].file.name;
        std::free(tracks[k].pcm);
    }
}

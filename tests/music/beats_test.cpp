#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "music/beat_cache.h"
#include "sound_files.h"

using namespace sound_files;

namespace {
beat_grid grid_of(double tempo, int per_bar, std::vector<double> beats)
{
    static beat_grid grid;
    grid = {};
    grid.tempo = tempo;
    grid.beats_per_bar = per_bar;
    grid.beat_count = int(beats.size());
    for (size_t i = 0; i < beats.size(); ++i)
        grid.beat_seconds[i] = beats[i];
    return grid;
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    const size_t at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(BeatGrid, TextKeepsTheGridUnderItsKeyOnly)
{
    const beat_grid g = grid_of(120, 3, {0.25, 0.75, 1.25});
    const std::string text = format_beat_grid(g, 0xfeedbeef12345678u, "analysis");
    static beat_grid read;
    ASSERT_TRUE(parse_beat_grid(text, 0xfeedbeef12345678u, read));
    EXPECT_EQ(read.tempo, 120);
    EXPECT_EQ(read.beats_per_bar, 3);
    ASSERT_EQ(read.beat_count, 3);
    EXPECT_EQ(read.beat_seconds[2], 1.25);
    // Another file's key: the grid is stale, and nothing of it is kept.
    EXPECT_FALSE(parse_beat_grid(text, 0xfeedbeef12345679u, read));
    EXPECT_EQ(read.beat_count, 0);
}

TEST(BeatGrid, RefusesTextThatIsNotAWholeGrid)
{
    const uint64_t key = 7;
    const std::string good = format_beat_grid(grid_of(100, 4, {0.0, 0.6, 1.2}), key, "generator");
    static beat_grid read;
    const std::string bad[] = {
        "",
        good.substr(0, good.size() - 9),                       // a beat short
        good + "1.800000\n",                                   // a beat more than it says
        replaced(good, "swipemix-beats 1", "swipemix-beats 9"), // another format
        replaced(good, "0.600000", "0.000000"),                // two beats at once
        replaced(good, "1.200000", "0.500000"),                // out of order
        replaced(good, "0.000000", "-0.100000"),               // before the track
        replaced(good, "tempo 100.000000", "tempo nan"),
        replaced(good, "tempo 100.000000", "tempo 0"),          // beats without a tempo
        replaced(good, "bar 4", "bar 0"),
        replaced(good, "beats 3", "beats 99999"),
        replaced(good, "beats 3", "beats -1"),
    };
    for (const std::string& text : bad)
        EXPECT_FALSE(parse_beat_grid(text, key, read)) << text;
}

TEST(BeatGrid, PhasesRampThroughEachBeatAndBar)
{
    // Beats unevenly spaced, as analysis finds them; three to the bar.
    const beat_grid& g = grid_of(120, 3, {1.0, 1.5, 2.1, 2.5});
    const beat_position mid = beat_at(g, 1.8);
    EXPECT_EQ(mid.beat, 1);
    EXPECT_EQ(mid.beat_in_bar, 1);
    EXPECT_NEAR(mid.beat_phase, 0.5, 1e-12);
    EXPECT_NEAR(mid.bar_phase, 1.5 / 3, 1e-12);
    // On a beat the ramp starts again; the fourth beat starts the second bar.
    EXPECT_EQ(beat_at(g, 2.1).beat_phase, 0.0);
    EXPECT_EQ(beat_at(g, 2.5).bar_phase, 0.0);
    // Before the first beat and after the last the tempo (0.5 s) goes on.
    const beat_position before = beat_at(g, 0.75);
    EXPECT_EQ(before.beat, -1);
    EXPECT_EQ(before.beat_in_bar, 2);
    EXPECT_NEAR(before.beat_phase, 0.5, 1e-12);
    EXPECT_NEAR(before.bar_phase, 2.5 / 3, 1e-12);
    const beat_position after = beat_at(g, 3.25);
    EXPECT_EQ(after.beat, 4);
    EXPECT_NEAR(after.beat_phase, 0.5, 1e-12);
    // No beats, or no number: the ramps stand at 0.
    const beat_position none = beat_at(grid_of(0, 4, {}), 1.0);
    EXPECT_EQ(none.beat_phase + none.bar_phase, 0.0);
    const beat_position odd = beat_at(g, NAN);
    EXPECT_EQ(odd.beat_phase + odd.bar_phase, 0.0);
    EXPECT_GE(beat_at(g, 1e300).beat_phase, 0.0);
}

// A click every half second from 0.25 s on over a low hum, as 16-bit stereo.
std::vector<unsigned char> clicks(double seconds)
{
    std::vector<int16_t> pcm(size_t(seconds * 44100) * 2);
    for (size_t f = 0; f < pcm.size() / 2; ++f) {
        const double since = std::fmod(f / 44100.0 + 0.25, 0.5);
        const double click = since < 0.03 ? 20000 * std::sin(f * 0.3) * (1 - since / 0.03) : 0;
        const int16_t v = int16_t(click + 1500 * std::sin(f * 0.02));
        pcm[2 * f] = pcm[2 * f + 1] = v;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(pcm.data());
    return {bytes, bytes + pcm.size() * 2};
}

class BeatCache : public testing::Test {
protected:
    void SetUp() override
    {
        folder = temp_folder();
        music = folder + "/song.mp3";
        write_bytes(music, {'n', 'o', 't', ' ', 'r', 'e', 'a', 'd'});
        pcm = clicks(20);
        track = {uint32_t(pcm.size()), 20.0, pcm.data()};
    }
    void TearDown() override { std::system(("rm -rf '" + folder + "'").c_str()); }
    std::string kept() const
    {
        const std::vector<unsigned char> bytes = read_bytes(folder + "/song.beats");
        return {bytes.begin(), bytes.end()};
    }

    std::string folder, music;
    std::vector<unsigned char> pcm;
    music_track track;
    beat_grid grid;
};

TEST_F(BeatCache, AnalysesOnceAndKeepsTheGridBesideTheMusic)
{
    load_beat_grid(music.c_str(), &track, grid);
    EXPECT_NEAR(grid.tempo, 120, 2);
    ASSERT_GT(grid.beat_count, 20);
    for (int i = 0; i < grid.beat_count; ++i) // on the clicks, within two hops of analysis
        EXPECT_NEAR(std::remainder(grid.beat_seconds[i] - 0.25, 0.5), 0, 0.03) << grid.beat_seconds[i];
    ASSERT_NE(kept().find("source analysis"), std::string::npos);

    // A hit: the kept grid is read, not the sound analysed again.
    write_bytes(folder + "/song.beats", {});
    const std::string marked = replaced(format_beat_grid(grid, music_file_key((const unsigned char*)"not read", 8),
                                                         "analysis"), "bar 4", "bar 7");
    write_bytes(folder + "/song.beats", {marked.begin(), marked.end()});
    load_beat_grid(music.c_str(), &track, grid);
    EXPECT_EQ(grid.beats_per_bar, 7);
}

TEST_F(BeatCache, AChangedOrSpoiltFileIsAnalysedAgain)
{
    load_beat_grid(music.c_str(), &track, grid);
    const std::string first = replaced(kept(), "bar 4", "bar 7");
    write_bytes(folder + "/song.beats", {first.begin(), first.end()});
    // New bytes under the same name.
    write_bytes(music, {'c', 'h', 'a', 'n', 'g', 'e', 'd'});
    load_beat_grid(music.c_str(), &track, grid);
    EXPECT_EQ(grid.beats_per_bar, 4);
    EXPECT_EQ(kept().find("bar 7"), std::string::npos);

    write_bytes(folder + "/song.beats", {'j', 'u', 'n', 'k'});
    load_beat_grid(music.c_str(), &track, grid);
    EXPECT_GT(grid.beat_count, 20);
    EXPECT_NE(kept().find("swipemix-beats"), std::string::npos);
}

TEST_F(BeatCache, MissingOrSilentMusicHasNoBeats)
{
    load_beat_grid((folder + "/absent.mp3").c_str(), &track, grid);
    EXPECT_EQ(grid.beat_count, 0);
    std::vector<unsigned char> quiet(pcm.size());
    const music_track silent{uint32_t(quiet.size()), 20.0, quiet.data()};
    load_beat_grid(music.c_str(), &silent, grid);
    EXPECT_EQ(grid.beat_count, 0);
    EXPECT_EQ(grid.tempo, 0);
    // An unwritable folder costs the cache, not the beats.
    std::system(("chmod a-w '" + folder + "'").c_str());
    std::remove((folder + "/song.beats").c_str());
    load_beat_grid(music.c_str(), &track, grid);
    std::system(("chmod u+w '" + folder + "'").c_str());
    EXPECT_GT(grid.beat_count, 20);
}

TEST(BeatGrid, FileNameReplacesTheMusicExtension)
{
    EXPECT_EQ(beat_grid_path("Music/01-a.mp3"), "Music/01-a.beats");
    EXPECT_EQ(beat_grid_path("my.music/song"), "my.music/song.beats");
}
}

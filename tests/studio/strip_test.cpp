// What the strip and the studio's tools compute without a window: the show
// map against single seeks and the capture's recorded soundtrack, the music's
// envelope, row costs, render ranges and file names.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "driver/authoring.h"
#include "driver/feed.h"
#include "music/authoring.h"
#include "tests/fixtures/fixture_timeline.h"
#include "tools/stepped/stepped_show.h"
#include "tools/studio/costs.h"
#include "tools/studio/envelope.h"
#include "tools/studio/place_file.h"
#include "tools/studio/render.h"
#include "tools/studio/screen.h"
#include "tools/studio/seek.h"
#include "tools/studio/shot.h"
#include "tools/studio/show_map.h"

namespace {
const frame_rate rate{60, 1};

// The fixture timeline in the show's place, as the studio puts an edited one.
void play_fixture()
{
    play_timeline(fixture_timeline().view());
}

show_map& built_map()
{
    static show_map map;
    static bool built = false;
    play_fixture();
    if (!built)
        map_show(rate, map), built = true;
    return map;
}

// Rows through the hesitant swipe one by one, then a spread over the show.
std::vector<int> sample_rows()
{
    std::vector<int> rows;
    for (int r = 0; r <= 130; ++r)
        rows.push_back(r);
    for (int r = 131; r < mapped_rows; r += 37)
        rows.push_back(r);
    rows.push_back(mapped_rows - 1);
    return rows;
}
}

TEST(ShowMap, EachRowIsWhereASeekToItLands)
{
    const show_map& map = built_map();
    for (int r : sample_rows()) {
        const show_place place = seek_show(rate, r);
        EXPECT_EQ(map.track[r], current_track) << "row " << r;
        EXPECT_NEAR(map.music_seconds[r], place.music_seconds, 1e-9) << "row " << r;
        EXPECT_EQ(map.feed[r], place.feed.position) << "row " << r;
    }
}

TEST(ShowMap, EntriesSettleWhereTheFeedRestsOnThem)
{
    const show_map& map = built_map();
    int seen = 0;
    for (int e = 0; e < entry_count; ++e) {
        const int r = map.settled[e];
        if (r < 0)
            continue;
        ++seen;
        EXPECT_EQ(map.feed[r], float(e)) << "entry " << e;
        if (r > 0) {
            EXPECT_NE(map.feed[r - 1], float(e)) << "entry " << e << " was already at rest";
        }
    }
    EXPECT_GE(seen, 5);
    // At row 99 the target is entry 5, but much of the column still shows entry 4.
    EXPECT_GT(map.feed[99], 4.f);
    EXPECT_LT(map.feed[99], 5.f);
    EXPECT_GT(map.settled[5], 99);
    EXPECT_EQ(map.settled[2], -1) << "a swipe across two entries passes entry 2 by";
    EXPECT_EQ(map.settled[4], -1) << "the hesitant swipe toward entry 4 falls back before resting";
}

// Each track's sound says which track it is (left channel) and where in it
// the sample lies (right channel, in 128-frame steps), so the capture's
// recording at a row can be read back and set against the map.
TEST(ShowMap, RowsPlayTheTrackAndPositionTheCaptureRecords)
{
    constexpr uint32_t track_frames = 44100 * 60;
    std::vector<std::vector<int16_t>> sounds(entry_count, std::vector<int16_t>(track_frames * 2));
    for (int t = 0; t < entry_count; ++t) {
        for (uint32_t i = 0; i < track_frames; ++i)
            sounds[t][2 * i] = int16_t(t), sounds[t][2 * i + 1] = int16_t(i / 128);
        track_table[t] = {track_frames * 4, 60.0, reinterpret_cast<unsigned char*>(sounds[t].data())};
    }
    const show_map& map = built_map();
    use_recorder();
    play_track(track_table[0]);
    const uint32_t frame_bytes = 44100 / 60 * 4;
    std::vector<unsigned char> sound(frame_bytes);
    for (int r : {8, 30, 62, 64, 100, 298, 334, 600, 1000}) { // each within a minute of its track's start
        // The capture's frame at row r (r * 7.5 is a frame when r is even).
        const long k = std::lround(r * 7.5);
        ASSERT_EQ(frame_row(rate, 0, k), r);
        restart_track_choice();
        restart_track(track_table[0], 0);
        feed_state feed = step_feed_to(rate, r, [&](double, int track) {
            select_track(track);
            pull_samples(sound.data(), frame_bytes);
        });
        select_track(update_feed(feed, r));
        pull_samples(sound.data(), frame_bytes);
        int16_t left, right;
        std::memcpy(&left, sound.data(), 2);
        std::memcpy(&right, sound.data() + 2, 2);
        EXPECT_EQ(map.track[r], left) << "row " << r;
        EXPECT_EQ(std::llround(map.music_seconds[r] * 44100) / 128, right) << "row " << r;
    }
    for (music_track& t : track_table)
        t = {};
}

TEST(MusicEnvelope, ReadsTheLoudnessWhereTheMapSaysTheMusicIs)
{
    // Track 2 at full scale, track 5 at a tenth (-20 dB) for one second, then silent.
    std::vector<int16_t> loud(44100 * 2 * 2, 32767), quiet(44100 * 2 * 2, 0);
    std::fill(quiet.begin(), quiet.begin() + 44100 * 2, 3277);
    track_table[2] = {uint32_t(loud.size() * 2), 2.0, reinterpret_cast<unsigned char*>(loud.data())};
    track_table[5] = {uint32_t(quiet.size() * 2), 2.0, reinterpret_cast<unsigned char*>(quiet.data())};
    static show_map map;
    for (int r = 0; r < mapped_rows; ++r)
        map.track[r] = 5, map.music_seconds[r] = 0;
    map.track[0] = 2;
    map.music_seconds[1] = 0.5;
    map.music_seconds[2] = 1.0;  // the silent second
    map.music_seconds[3] = 1.9;  // the last eighth is cut short by the end: silent anyway
    map.music_seconds[4] = 30.0; // past the end
    map.track[5] = 36;           // a track with no sound
    map.track[6] = -1;
    static float db[envelope_count];
    music_envelope(map, db);
    for (int k = 0; k < envelope_steps; ++k) {
        EXPECT_NEAR(db[k], 0, 0.01) << "step " << k;
        EXPECT_NEAR(db[envelope_steps + k], -20, 0.01) << "step " << k;
    }
    for (int s = 2 * envelope_steps; s < 7 * envelope_steps; ++s)
        EXPECT_EQ(db[s], envelope_silence_db) << "row " << s / envelope_steps;
    track_table[2] = track_table[5] = {};
}

// Within a row the readings follow the music: a burst a sixteenth of a row
// long stands out alone, so beats show once the strip is zoomed in.
TEST(MusicEnvelope, ReadsEachStepOfARowApart)
{
    std::vector<int16_t> pcm(44100 * 2 * 2, 0);
    const auto step_start = [](int k) { return size_t(k * 44100.0 / 8 / envelope_steps); };
    std::fill(pcm.begin() + 2 * step_start(5), pcm.begin() + 2 * (step_start(5) + 344), 16384);
    track_table[3] = {uint32_t(pcm.size() * 2), 2.0, reinterpret_cast<unsigned char*>(pcm.data())};
    static show_map map;
    for (int r = 0; r < mapped_rows; ++r)
        map.track[r] = 3, map.music_seconds[r] = 5.0; // past the end: silence
    map.music_seconds[0] = 0;
    static float db[envelope_count];
    music_envelope(map, db);
    for (int k = 0; k < envelope_steps; ++k)
        if (k == 5)
            EXPECT_NEAR(db[k], -6.02, 0.1);
        else
            EXPECT_LT(db[k], -40) << "step " << k;
    track_table[3] = {};
}

TEST(MusicEnvelope, HeightsAreOnADecibelScaleBelowTheLoudest)
{
    EXPECT_EQ(envelope_height(-3, -3, 72), 72);
    EXPECT_EQ(envelope_height(0, -3, 72), 72) << "louder than the top stays within the band";
    EXPECT_EQ(envelope_height(-9, -3, 72), 60) << "half as loud is a sixth lower";
    EXPECT_EQ(envelope_height(-21, -3, 72), 36);
    EXPECT_EQ(envelope_height(-39, -3, 72), 0);
    EXPECT_EQ(envelope_height(envelope_silence_db, -3, 72), 0);
}

TEST(RowCosts, ClassedByTheBudgetAndLoadedFromTheCapturesFile)
{
    forget_costs();
    EXPECT_EQ(cost_at(10), row_cost::unknown);
    note_cost(10.6, 40);
    note_cost(11, 120);
    note_cost(12, 400);
    note_cost(-1, 50);
    note_cost(5000, 50);
    EXPECT_EQ(cost_at(10), row_cost::within);
    EXPECT_EQ(cost_at(11), row_cost::over);
    EXPECT_EQ(cost_at(12), row_cost::far_over);
    EXPECT_EQ(cost_at(-1), row_cost::unknown);
    set_cost_budget(200);
    EXPECT_EQ(cost_at(11), row_cost::within);
    EXPECT_EQ(cost_at(12), row_cost::over) << "twice the budget is not yet far over";
    set_cost_budget(83);

    // A file of this run's own, headed as the capture heads it.
    std::string path = testing::TempDir() + "frame_times_XXXXXX";
    const int fd = mkstemp(path.data());
    ASSERT_GE(fd, 0);
    close(fd);
    std::ofstream(path) << "row\tentry\tms\n20.000000\t2\t50.125\n21.133333\t2\t99.000\n";
    std::string error, note;
    ASSERT_TRUE(load_costs(path, error, note)) << error;
    EXPECT_EQ(cost_at(20), row_cost::within);
    EXPECT_EQ(cost_at(21), row_cost::over);
    EXPECT_EQ(note, "");

    // Each line refused with its own reason.
    const std::pair<const char*, const char*> bad_lines[] = {
        {"30\t2\n", "not ROW, ENTRY and MS"},         {"30.0\t2\t5.0 junk\n", "not ROW, ENTRY and MS"},
        {"row\tentry\tms\n", "not ROW, ENTRY and MS"}, {"30\t2\tnan\n", "MS nan is not a time"},
        {"30\t2\tinf\n", "MS inf is not a time"},      {"nan\t2\t5\n", "row nan is not a row"},
        {"-4\t2\t5\n", "row -4 is not a row"},
    };
    for (const auto& [bad, why] : bad_lines) {
        std::ofstream(path) << "22\t2\t10\n" << bad;
        EXPECT_FALSE(load_costs(path, error, note)) << bad;
        EXPECT_NE(error.find("line 2: " + std::string(why)), std::string::npos) << error;
    }
    EXPECT_FALSE(load_costs(path + ".none", error, note));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;

    // Written on another system, and from a longer show: the rows this show has still count.
    forget_costs();
    std::ofstream(path) << "row\tentry\tms\r\n22\t2\t10\r\n99999\t2\t5\r\n1713\t2\t5\n23\t2\t120\n";
    ASSERT_TRUE(load_costs(path, error, note)) << error;
    EXPECT_EQ(cost_at(22), row_cost::within);
    EXPECT_EQ(cost_at(23), row_cost::over);
    EXPECT_NE(note.find("2 lines past the show's end (row 1712) skipped"), std::string::npos) << note;

    // What a restart in place takes along reads back as the same costs.
    forget_costs();
    note_cost(7, 40), note_cost(8, 120), note_cost(mapped_rows - 1, 400);
    int entries[mapped_rows] = {};
    entries[8] = 2;
    const std::string kept = costs_text(entries);
    EXPECT_NE(kept.find("8\t2\t120.000\n"), std::string::npos) << kept;
    std::ofstream(path) << kept;
    forget_costs();
    ASSERT_TRUE(load_costs(path, error, note)) << error;
    EXPECT_EQ(cost_at(7), row_cost::within);
    EXPECT_EQ(cost_at(8), row_cost::over);
    EXPECT_EQ(cost_at(mapped_rows - 1), row_cost::far_over);
    EXPECT_EQ(cost_at(9), row_cost::unknown);
    std::remove(path.c_str());
    forget_costs();
}

TEST(RenderRange, TheLoopElseTheStayOnScreen)
{
    const show_map& map = built_map();
    double from, to;
    render_rows(50, 100, 132, map, from, to);
    EXPECT_EQ(from, 100);
    EXPECT_EQ(to, 132);
    // Each stay runs from the first row its entry is on screen to the first it is not.
    for (double row : {0.0, 27.5, 50.0, 61.0, 80.0, 200.0, double(show_end_row)}) {
        render_rows(row, 0, -1, map, from, to);
        const int e = map.track[int(row)];
        EXPECT_LE(from, row);
        EXPECT_TRUE(row < to || to == show_end_row) << row;
        for (int r = int(from); r < int(to); ++r)
            ASSERT_EQ(map.track[r], e) << "row " << r << " of the stay at " << row;
        EXPECT_TRUE(from == 0 || map.track[int(from) - 1] != e) << row;
        EXPECT_TRUE(to == show_end_row || map.track[int(to)] != e) << row;
    }
    // Back on entry 3 after the hesitant glimpse of entry 4: its stay starts after the glimpse.
    render_rows(80, 0, -1, map, from, to);
    EXPECT_EQ(map.track[int(from) - 1], 4) << "the stay begins where the glimpse ends, at " << from;
    EXPECT_LE(to, 99);
}

TEST(StudioFiles, NamedByTheirRows)
{
    EXPECT_EQ(shot_path(".", 262.5, false), "swipemix-row0262.50.png");
    EXPECT_EQ(shot_path("shots", 1712, false), "shots/swipemix-row1712.00.png");
    EXPECT_EQ(shot_path("/tmp/", 0.126, false), "/tmp/swipemix-row0000.13.png");
    EXPECT_EQ(shot_path("shots", 354, true), "shots/swipemix-row0354.00-window.png") << "not the column's name";
    EXPECT_EQ(shot_row(101.8149), 101.81);
    EXPECT_EQ(render_path(".", 100, 132), "swipemix-rows0100.00-0132.00.mp4");
    EXPECT_EQ(render_path("out", 83, 1712), "out/swipemix-rows0083.00-1712.00.mp4");
}

// A file written under a temporary name takes its place only once whole, and
// never over one already there.
TEST(StudioFiles, PlacedBesideNeverOver)
{
    const std::string dir = testing::TempDir() + "placed-" + std::to_string(getpid());
    ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
    const std::string wanted = dir + "/swipemix-row0354.00.png";
    std::string error;
    const auto write_one = [&](const char* text) {
        const std::string written = temporary_beside(wanted, error);
        EXPECT_EQ(written.substr(written.size() - 4), ".png") << "the tools read the kind from the name";
        EXPECT_EQ(written.find(dir + "/."), 0u) << "beside its place, hidden";
        std::ofstream(written) << text;
        return place_file(written, wanted, error);
    };
    EXPECT_EQ(write_one("first"), wanted) << error;
    EXPECT_EQ(write_one("second"), dir + "/swipemix-row0354.00-2.png") << error;
    EXPECT_EQ(write_one("third"), dir + "/swipemix-row0354.00-3.png") << error;
    std::ifstream first(wanted);
    std::string text;
    first >> text;
    EXPECT_EQ(text, "first") << "the earlier shot is kept";

    // A place that cannot be taken: the written file does not stay behind.
    const std::string written = temporary_beside(wanted, error);
    EXPECT_EQ(place_file(written, dir + "/no-such-folder/x.png", error), "");
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
    EXPECT_NE(access(written.c_str(), F_OK), 0);
    EXPECT_EQ(temporary_beside(dir + "/no-such-folder/x.mp4", error), "");
    EXPECT_NE(error.find("no-such-folder"), std::string::npos) << error;
    std::filesystem::remove_all(dir);
}

TEST(StudioDisplay, PausedShowsNoStaleFrameRate)
{
    const float values[sync_track_count] = {};
    studio_view view = {354, false, 3, 1, 30, 166.8, 1, false, 0, -1, values};
    EXPECT_EQ(display_lines(view)[2], "6.0 fps  166.8 ms a frame");
    view.paused = true;
    EXPECT_EQ(display_lines(view)[2], "fps -") << "frames presented while paused are not played one after another";
}

TEST(StudioDisplay, MarksTheTrackWhoseKeysTheStripShows)
{
    const float values[sync_track_count] = {};
    studio_view view = {354, false, 3, 1, 30, 166.8, 1, false, 0, -1, values};
    view.chosen = 12;
    int marked = 0;
    for (const std::string& line : display_lines(view))
        if (line[0] == '>') {
            ++marked;
            EXPECT_NE(line.find(show_track_names[12]), std::string::npos) << line;
        }
    EXPECT_EQ(marked, 1);
}

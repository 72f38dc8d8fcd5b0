// The packer: today's show reproduces its stored bytes, the text form round-trips,
// and every limit of the format stops strict packing with a message naming it.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "timeline/source.h"

namespace {
// The show's stored tables as they were written by hand before they were packed.
const uint8_t reference_rows[] = {
    5, 3, 17, 4, 11, 3, 10, 3, 2, 5, 2, 15, 3, 13, 3, 24, 3, 42, 2, 8,
    3, 3, 2, 3, 27, 3, 37, 3, 18, 3, 56, 2, 12, 2, 24, 3, 53, 2, 30, 2,
    38, 2, 10, 2, 34, 2, 3, 3, 4, 27, 25, 16, 48, 3, 23, 3, 51, 3, 29, 5,
    2, 1, 5, 2, 1, 21, 12, 3, 17, 3, 56, 3, 29, 3, 109, 45, 3, 32, 2, 22,
    2, 38, 3, 39, 3, 5, 2, 7, 3, 172, 2, 14, 3, 16, 3, 42, 37, 4, 32, 52,
    10, 26, 16,
};
const uint8_t reference_keys[] = {
    3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 4, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 1,
    1, 1, 1, 1, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 2, 1, 3, 255, 101, 255, 2, 3, 3, 84, 3, 255, 9, 6,
    20, 3, 1, 30, 17, 255, 255, 55, 21, 255, 57, 5, 20, 12, 255, 96, 255, 57, 7, 2,
    16, 12, 255, 57, 8, 17, 255, 45, 7, 2, 15, 4, 4, 255, 45, 5, 1, 3, 15, 4,
    4, 255, 36, 2, 7, 9, 15, 4, 4, 255, 36, 2, 7, 24, 4, 2, 2, 255, 1, 101,
    1, 255, 99, 1, 1, 255, 255,
};
const uint8_t reference_modes[] = {
    0, 1, 0, 1, 0, 1, 0, 1, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0,
    1, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 1, 1, 1, 1,
    0, 1, 0, 1, 0, 1, 1, 0, 1, 0, 1, 0, 1, 0, 2, 2, 0, 1, 0, 1,
    0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 1, 1,
    0, 1, 0, 1, 0, 1, 0, 1, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 1, 0, 0, 0, 2, 2, 0, 0, 1, 0, 0, 2, 2, 2, 0, 0,
    1, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 2, 0, 0, 3, 0,
    3, 0, 0, 2, 0, 0, 0,
};
const int16_t reference_values[] = {
    0, 0, 64, 64, 128, 128, 192, 192, 256, 192, 192, 256, 256, 320, 320, 384, 384, 448, 448, 512,
    512, 576, 512, 512, 576, 576, 640, 640, 704, 704, 768, 768, 832, 832, 896, 896, 961, 960, 1024, 1027,
    1088, 1088, 1152, 1152, 1216, 1216, 1280, 1216, 1216, 1280, 1280, 1344, 1344, 1408, 1408, 1427, 1434, 1434, 1408, 1408,
    1472, 1472, 1536, 1536, 1600, 1600, 1664, 1664, 1728, 1728, 1792, 1792, 1856, 1856, 1920, 1920, 1984, 1984, 2042, 2035,
    1984, 1984, 2048, 2048, 2112, 2112, 2176, 2176, 2240, 2304, 3, 50, 3200, 64, 38, 64, 67, 64, -1, -11,
    -1, -41, 1, 0, -109, -114, 1, 1, 3, 6, 11, 2, 14, 9, 11, 0, 3, 9, 11, 12,
    -1, 0, 10, 32, -77, 96, -32, 5, 0, -1, 0, 3, 3, 0, 1, 9, 11, 13, 11, 2,
    1, 39, 46, 46, 38, 24, 38, 16, 42, 17, 6, 6, 13, 6, 0, 0, 96, 96, 0, 1,
    1, 0, 0, 0, 1, 0, 1,
};
const uint8_t reference_scales[] = {
    4, 11, 4, 10, 10, 10, 10, 10, 10, 4, 10, 10, 9, 4, 10, 9, 10,
};

std::vector<std::string> show_names() { return {show_track_names, show_track_names + sync_track_count}; }

void expect_equal_tables(const sync_tables& a, const sync_tables& b)
{
    ASSERT_EQ(a.key_count, b.key_count);
    EXPECT_EQ(std::vector<uint8_t>(a.rows, a.rows + sync_row_slots), std::vector<uint8_t>(b.rows, b.rows + sync_row_slots));
    EXPECT_EQ(std::vector<uint8_t>(a.keys, a.keys + a.key_count), std::vector<uint8_t>(b.keys, b.keys + b.key_count));
    EXPECT_EQ(std::vector<uint8_t>(a.modes, a.modes + a.key_count), std::vector<uint8_t>(b.modes, b.modes + b.key_count));
    EXPECT_EQ(std::vector<int16_t>(a.values, a.values + a.key_count), std::vector<int16_t>(b.values, b.values + b.key_count));
    EXPECT_EQ(std::vector<uint8_t>(a.scales, a.scales + sync_track_count),
              std::vector<uint8_t>(b.scales, b.scales + sync_track_count));
}

// 17 tracks of one key each, to be broken one limit at a time.
timeline_source small_source()
{
    timeline_source s;
    for (int t = 0; t < sync_track_count; ++t)
        s.tracks.push_back({show_track_names[t], 10, {{0, 1, sync_step}}});
    return s;
}

// Strict packing fails with one fatal message holding every fragment; lenient
// packing succeeds and reports the same problem.
void expect_refused(const timeline_source& s, std::vector<std::string> fragments)
{
    packed_timeline packed;
    std::vector<pack_problem> problems;
    EXPECT_FALSE(pack_timeline(s, packed, problems, true));
    ASSERT_FALSE(problems.empty());
    const pack_problem& last = problems.back();
    EXPECT_TRUE(last.fatal);
    for (const std::string& f : fragments)
        EXPECT_NE(last.text.find(f), std::string::npos) << "'" << f << "' missing in: " << last.text;

    problems.clear();
    EXPECT_TRUE(pack_timeline(s, packed, problems, false));
    ASSERT_FALSE(problems.empty());
    EXPECT_EQ(problems.front().text, last.text);
    const sync_tables v = packed.view();
    for (int i = 0; i < v.key_count; ++i)
        EXPECT_TRUE(v.keys[i] >= 1 && v.modes[i] < sync_mode_count) << "key " << i;
    EXPECT_EQ(v.keys[v.key_count - 1], sync_last_key);
}
}

TEST(TimelinePacking, ShowTablesEqualTheHandWrittenBytes)
{
    uint8_t rows[sync_row_slots] = {};
    std::copy(std::begin(reference_rows), std::end(reference_rows), rows);
    const sync_tables reference = {rows, reference_keys, reference_modes, reference_values, reference_scales,
                                   int(sizeof reference_keys)};
    expect_equal_tables(show_sync, reference);
    EXPECT_EQ(sync_key_count, 167);
}

TEST(TimelinePacking, TextRoundTripReproducesTheStoredTables)
{
    const std::string text = format_timeline(unpack_timeline(show_sync, show_names()));
    timeline_source parsed;
    std::string error;
    ASSERT_TRUE(parse_timeline(text, parsed, error)) << error;
    packed_timeline packed;
    std::vector<pack_problem> problems;
    ASSERT_TRUE(pack_timeline(parsed, packed, problems, true));
    EXPECT_TRUE(problems.empty());
    expect_equal_tables(packed.view(), show_sync);
    EXPECT_EQ(format_timeline(parsed), text);

    std::ifstream file(SHOW_TIMELINE_FILE);
    std::stringstream source;
    source << file.rdbuf();
    timeline_source from_file;
    ASSERT_TRUE(parse_timeline(source.str(), from_file, error)) << error;
    EXPECT_EQ(format_timeline(from_file), text) << "show.timeline says what the tables hold";
    EXPECT_EQ(from_file.tracks[0].keys[2].value, 1.0) << "target values count entries";
    EXPECT_EQ(from_file.tracks[2].keys[0].value, 50.0);
}

TEST(TimelinePacking, ParseErrorsNameTheLine)
{
    timeline_source s;
    std::string error;
    EXPECT_FALSE(parse_timeline("# c\ntrack a scale 10\n  0 1 step\n  8 2 bounce\n", s, error));
    EXPECT_NE(error.find("line 4"), std::string::npos) << error;
    EXPECT_FALSE(parse_timeline("  0 1 step\n", s, error));
    EXPECT_NE(error.find("line 1"), std::string::npos) << error;
    EXPECT_FALSE(parse_timeline("track a scale 10\n 0 1x step\n", s, error));
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    EXPECT_FALSE(parse_timeline("track a scale\n", s, error));
    EXPECT_TRUE(parse_timeline("track a scale 10 # note\n 0 -0.5 ramp # x\n\n", s, error)) << error;
    EXPECT_EQ(s.tracks.at(0).keys.at(0).value, -0.5);
}

TEST(TimelinePacking, EachLimitStopsWithItsMessage)
{
    auto s = small_source();
    s.tracks[10].keys[0].row = 3;
    expect_refused(s, {"camera:x", "row 3", "row 0"});

    s = small_source();
    s.tracks[4].keys.push_back({8, 1, sync_step});
    s.tracks[4].keys.push_back({8, 2, sync_step});
    expect_refused(s, {"odd:zoom", "row 8", "one row"});

    s = small_source();
    s.tracks[4].keys.push_back({9, 1, sync_step});
    s.tracks[4].keys.push_back({8, 2, sync_step});
    expect_refused(s, {"odd:zoom", "row 8", "ascending"});

    s = small_source();
    s.tracks[2].scale = 4;
    s.tracks[2].keys.push_back({16, 1.0 / 128, sync_step});
    expect_refused(s, {"even:zoom", "row 16", "0.015625", "nearest: 0 or 0.015625"});

    s = small_source();
    s.tracks[2].keys.push_back({16, 40000, sync_step});
    expect_refused(s, {"even:zoom", "row 16", "16 bits", "nearest: 32767"});

    s = small_source();
    s.tracks[16].scale = 138;
    expect_refused(s, {"out:gamma", "scale byte 138"});

    s = small_source();
    s.tracks[5].keys.push_back({300, 1, sync_step});
    expect_refused(s, {"odd:offset", "row 300", "255 rows"});

    s = small_source();
    for (int r = 1; r <= 600; ++r)
        s.tracks[r % 2].keys.push_back({r, 1, sync_step});
    expect_refused(s, {"feed:target", "row 512", "512 distinct"});

    s = small_source();
    for (int r = 1; r <= 300; ++r)
        s.tracks[0].keys.push_back({r, 1, sync_step});
    s.tracks[1].keys.push_back({300, 2, sync_step});
    expect_refused(s, {"feed:rate", "row 0", "at most 254"});
}

TEST(TimelinePacking, LenientPackingKeepsTheNearestStorableForm)
{
    auto s = small_source();
    s.tracks[2].keys.push_back({16, 2.6, sync_step});
    s.tracks[5].keys.push_back({600, 7, sync_step});
    packed_timeline packed;
    std::vector<pack_problem> problems;
    ASSERT_TRUE(pack_timeline(s, packed, problems, false));
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].track, 2);
    EXPECT_EQ(problems[0].row, 16);
    EXPECT_EQ(problems[1].track, 5);
    EXPECT_EQ(problems[1].row, 600);

    // Unkeyed rows bridge the gap, so the late key still lands on its row.
    sync_scratch scratch;
    float out[sync_track_count] = {};
    sync_evaluate(packed.view(), scratch, 700, out);
    EXPECT_EQ(out[2], 3);
    EXPECT_EQ(out[5], 7);
    sync_evaluate(packed.view(), scratch, 599, out);
    EXPECT_EQ(out[5], 1);
}

TEST(TimelinePacking, LastKeyIsStoredAsStepWithAWarning)
{
    auto s = small_source();
    s.tracks[14].keys.push_back({5, 2, sync_ramp});
    packed_timeline packed;
    std::vector<pack_problem> problems;
    ASSERT_TRUE(pack_timeline(s, packed, problems, true));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_FALSE(problems[0].fatal);
    EXPECT_NE(problems[0].text.find("out:gain, row 5"), std::string::npos) << problems[0].text;
    EXPECT_EQ(packed.modes[15], sync_step);
}

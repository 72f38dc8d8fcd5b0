// The packer: the fixture timeline gives the bytes written by hand, the text form round-trips,
// and every limit of the format stops strict packing with a message naming it.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/fixtures/fixture_timeline.h"
#include "timeline/source.h"

namespace {
// The fixture timeline's stored tables, written by hand from its text.
const uint8_t reference_rows[] = {
    5, 3, 17, 4, 11, 3, 15, 5, 2, 31, 3, 193, 5, 2, 6, 3, 232, 15, 255, 255,
    255, 255, 108, 16,
};
const uint8_t reference_keys[] = {
    3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 255, // feed:target
    20, 255, 2, 255, 7, 255, 255, 19, 255, 255, 21, 255, 255, 12, 4, 255, 5, 5, 1, 255,
    22, 255, 255, 17, 255, 1, 22, 1, 255, 255, 255,
};
const uint8_t reference_modes[] = {
    0, 1, 0, 1, 0, 1, 1, 0, 1, 0, 2, 2, 0, 1, 0, 1, 0, // feed:target
    0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 2, 2, 0,
    0, 0, 0, 0, 0, 3, 0, 3, 0, 0, 0,
};
const int16_t reference_values[] = {
    0, 0, 64, 64, 192, 192, 256, 192, 192, 320, 320, 339, 346, 346, 320, 320, 2304, // feed:target
    3, 50, 3200, 64, -1, -11, 1, 1, 3, 11, -32768, 32767, 1, 32, -77, 96, 5, 0, -1, 0,
    1, 2, 46, 6, 96, 0, 1, 1, 0, 0, 1,
};
const uint8_t reference_scales[] = {
    4, 11, 4, 10, 10, 10, 0, 10, 137, 4, 10, 10, 9, 4, 10, 9, 10,
};


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

TEST(TimelinePacking, FixtureTablesEqualTheHandWrittenBytes)
{
    uint8_t rows[sync_row_slots] = {};
    std::copy(std::begin(reference_rows), std::end(reference_rows), rows);
    const sync_tables reference = {rows, reference_keys, reference_modes, reference_values, reference_scales,
                                   int(sizeof reference_keys)};
    expect_equal_tables(fixture_timeline().view(), reference);
    EXPECT_EQ(fixture_timeline().view().key_count, 48);
}

TEST(TimelinePacking, TextRoundTripReproducesTheStoredTables)
{
    const sync_tables stored = fixture_timeline().view();
    const std::string text = format_timeline(unpack_timeline(stored));
    timeline_source parsed;
    std::string error;
    ASSERT_TRUE(parse_timeline(text, parsed, error)) << error;
    packed_timeline packed;
    std::vector<pack_problem> problems;
    ASSERT_TRUE(pack_timeline(parsed, packed, problems, true));
    EXPECT_TRUE(problems.empty());
    expect_equal_tables(packed.view(), stored);
    EXPECT_EQ(format_timeline(parsed), text);

    EXPECT_EQ(format_timeline(fixture_source()), text) << "the text says what the tables hold";
    EXPECT_EQ(fixture_source().tracks[0].keys[2].value, 1.0) << "target values count entries";
    EXPECT_EQ(fixture_source().tracks[2].keys[0].value, 50.0);
    EXPECT_EQ(fixture_source().tracks[8].keys[0].value, 0x1p127) << "the largest scale's step";
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
    // A NUL would end the word unseen: "1\0xyz" must not read as 1.
    const char nul[] = "track a scale 10\n 0 0 step\n 5 1\0xyz step\n";
    EXPECT_FALSE(parse_timeline(std::string(nul, sizeof nul - 1), s, error));
    EXPECT_NE(error.find("line 3: holds a NUL byte"), std::string::npos) << error;
    EXPECT_TRUE(parse_timeline("track a scale 10 # note\n 0 -0.5 ramp # x\n\n", s, error)) << error;
    EXPECT_EQ(s.tracks.at(0).keys.at(0).value, -0.5);
}

TEST(TimelinePacking, EachLimitStopsWithItsMessage)
{
    auto s = small_source();
    s.tracks[10].keys[0].row = 3;
    expect_refused(s, {"camera:x", "row 3", "row 0"});

    s = small_source();
    s.tracks[3].keys.clear();
    expect_refused(s, {"even:offset", "row 0"});

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

    // A key off the show's rows or without a value is named for itself, not
    // blamed on the keys around it or rounded to a "nearest" value.
    s = small_source();
    s.tracks[2].keys.push_back({2147483647, 1, sync_step});
    s.tracks[2].keys.push_back({1683, 1, sync_step});
    expect_refused(s, {"even:zoom", "row 2147483647", "past the show's end at row 1712"});

    s = small_source();
    s.tracks[2].keys.push_back({-5, 1, sync_step});
    expect_refused(s, {"even:zoom", "row -5", "negative"});

    s = small_source();
    s.tracks[2].keys.push_back({16, std::nan(""), sync_step});
    expect_refused(s, {"even:zoom", "row 16", "not a finite number"});

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

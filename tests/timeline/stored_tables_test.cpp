// Stored tables against the choreography as people write it (row:value:mode keys), and the
// evaluator over them: the fixture timeline, packed as the build packs the show's.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/fixtures/fixture_timeline.h"
#include "timeline/sync.h"

namespace {
struct key {
    int row, value, mode;
    bool operator==(const key&) const = default;
};

// The fixture timeline's raw keys. Track number | scale byte | keys
const char* const choreography[] = {
    "0|4|0:0:0, 25:0:1, 29:64:0, 40:64:1, 43:192:0, 58:192:1, 63:256:1, 65:192:0, 96:192:1, 99:320:0, 292:320:2, 297:339:2, 299:346:0, 305:346:1, 308:320:0, 540:320:1, 555:2304:0",
    "1|11|0:3:0, 1065:50:0",
    "2|4|0:3200:2, 8:64:0",
    "3|10|0:-1:0, 58:-11:0",
    "4|10|0:1:0",
    "5|10|0:1:0, 810:3:0",
    "6|0|0:11:0",
    "7|10|0:-32768:0, 1320:32767:0",
    "8|137|0:1:0",
    "9|4|0:32:0, 292:-77:1, 308:96:0",
    "10|10|0:5:0, 40:0:2, 96:-1:2, 99:0:0",
    "11|10|0:1:0, 1575:2:0",
    "12|9|0:46:0",
    "13|4|0:6:0, 540:96:0",
    "14|10|0:0:3, 5:1:0, 1683:1:3, 1699:0:0",
    "15|9|0:0:0",
    "16|10|0:1:0",
};

std::vector<key> parse_keys(const std::string& text)
{
    std::vector<key> keys;
    std::istringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        key k{};
        char colon;
        std::istringstream(item) >> k.row >> colon >> k.value >> colon >> k.mode;
        keys.push_back(k);
    }
    return keys;
}

// Decodes the stored form back into one key list per track.
std::vector<std::vector<key>> decode_tables(const sync_tables& t)
{
    std::vector<int> rows{0};
    for (int k = 0; k < sync_row_slots && t.rows[k]; ++k)
        rows.push_back(rows.back() + t.rows[k]);
    std::vector<std::vector<key>> tracks(1);
    int j = 0;
    for (int i = 0; i < t.key_count; ++i) {
        tracks.back().push_back({rows.at(j), t.values[i], t.modes[i]});
        if (t.keys[i] == sync_last_key) {
            j = 0;
            if (i + 1 < t.key_count)
                tracks.emplace_back();
        } else {
            j += t.keys[i];
        }
    }
    return tracks;
}

float at_row(float row, int track)
{
    sync_scratch scratch;
    float out[sync_track_count] = {};
    sync_evaluate(fixture_timeline().view(), scratch, row, out);
    return out[track];
}
}

TEST(StoredTables, DecodeToTheChoreography)
{
    const sync_tables tables = fixture_timeline().view();
    const auto tracks = decode_tables(tables);
    ASSERT_EQ(tracks.size(), size_t(sync_track_count));
    std::set<int> distinct;
    for (int t = 0; t < sync_track_count; ++t) {
        const std::string line = choreography[t];
        const size_t bar1 = line.find('|'), bar2 = line.find('|', bar1 + 1);
        EXPECT_EQ(std::stoi(line.substr(0, bar1)), t);
        EXPECT_EQ(tables.scales[t], std::stoi(line.substr(bar1 + 1, bar2 - bar1 - 1))) << "track " << t;
        const auto expected = parse_keys(line.substr(bar2 + 1));
        EXPECT_EQ(tracks[t], expected) << "track " << t;
        for (const key& k : expected)
            distinct.insert(k.row);
        EXPECT_EQ(tracks[t].back().mode, 0) << "a last key holds its value";
    }
    EXPECT_EQ(distinct.size(), 25u);
    EXPECT_EQ(*distinct.rbegin(), 1699);

    int nonzero = 0;
    for (int k = 0; k < sync_row_slots; ++k)
        nonzero += tables.rows[k] != 0;
    EXPECT_EQ(nonzero, 24);
    EXPECT_EQ(tables.rows[0], 5);
    EXPECT_EQ(tables.rows[18], 255) << "the longest step between key rows";
    EXPECT_EQ(tables.rows[23], 16);
}

TEST(StoredTables, ValuesAtRowZeroAtEveryScale)
{
    const float expected[sync_track_count] = {0, 6, 50, -1, 1, 1, 11.0f / 1024, -32768, 0x1p127f,
                                              0.5f, 5, 1, 23, 0.09375f, 0, 0, 1};
    for (int t = 0; t < sync_track_count; ++t)
        EXPECT_FLOAT_EQ(at_row(0, t), expected[t]) << "track " << t;
}

TEST(StoredTables, HesitantAndBrokenSwipesAndTheEnd)
{
    EXPECT_FLOAT_EQ(at_row(61, 0), 3.6f);
    EXPECT_FLOAT_EQ(at_row(64, 0), 3.5f);

    // Smooth partial swipe between 297 (339) and 299 (346), then held.
    EXPECT_FLOAT_EQ(at_row(300, 0), 346.0f / 64);
    EXPECT_FLOAT_EQ(at_row(300, 9), float((-77 + (96 + 77) * (8.0 / 16)) / 64));
    EXPECT_FLOAT_EQ(at_row(300, 3), -11);

    EXPECT_FLOAT_EQ(at_row(1700, 0), 36);
    EXPECT_FLOAT_EQ(at_row(1700, 1), 100);
    EXPECT_FLOAT_EQ(at_row(1700, 14), 0) << "faded out";
    EXPECT_FLOAT_EQ(at_row(1700, 13), 1.5f);
    EXPECT_FLOAT_EQ(at_row(1700, 7), 32767);
}

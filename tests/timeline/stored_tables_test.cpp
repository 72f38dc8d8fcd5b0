// The stored tables against the choreography as people write it: row:value:mode keys.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "timeline/sync.h"

namespace {
struct key {
    int row, value, mode;
    bool operator==(const key&) const = default;
};

// Track number | scale byte | keys
const char* const choreography[] = {
    "0|4|0:0:0, 25:0:1, 29:64:0, 40:64:1, 43:128:0, 53:128:1, 56:192:0, 58:192:1, 63:256:1, 65:192:0, 80:192:1, 83:256:0, 96:256:1, 99:320:0, 123:320:1, 126:384:0, 168:384:1, 170:448:0, 178:448:1, 181:512:0, 184:512:1, 186:576:1, 189:512:0, 216:512:1, 219:576:0, 256:576:1, 259:640:0, 277:640:1, 280:704:0, 336:704:1, 338:768:0, 350:768:1, 352:832:0, 376:832:1, 379:896:0, 432:896:1, 434:961:1, 464:960:1, 466:1024:1, 504:1027:1, 506:1088:0, 516:1088:1, 518:1152:0, 552:1152:1, 554:1216:0, 557:1216:1, 560:1280:1, 564:1216:0, 680:1216:1, 683:1280:0, 706:1280:1, 709:1344:0, 760:1344:1, 763:1408:0, 792:1408:2, 797:1427:2, 799:1434:0, 805:1434:1, 808:1408:0, 841:1408:1, 844:1472:0, 861:1472:1, 864:1536:0, 920:1536:1, 923:1600:0, 952:1600:1, 955:1664:0, 1109:1664:1, 1112:1728:0, 1144:1728:1, 1146:1792:0, 1168:1792:1, 1170:1856:0, 1208:1856:1, 1211:1920:0, 1250:1920:1, 1253:1984:0, 1258:1984:1, 1260:2042:1, 1267:2035:1, 1270:1984:0, 1442:1984:1, 1444:2048:0, 1458:2048:1, 1461:2112:0, 1477:2112:1, 1480:2176:0, 1559:2176:1, 1563:2240:0, 1657:2304:0",
    "1|11|0:3:0, 1657:50:0",
    "2|4|0:3200:2, 8:64:0, 40:38:0, 56:64:0, 1458:67:0, 1480:64:0",
    "3|10|0:-1:0, 58:-11:0, 99:-1:0, 376:-41:0, 434:1:0, 464:0:0, 861:-109:0, 1258:-114:0",
    "4|10|0:1:0",
    "5|10|0:1:0, 706:3:0, 1109:6:0",
    "6|10|0:11:0, 760:2:0, 800:14:0, 1208:9:0, 1477:11:0",
    "7|10|0:0:0, 1522:3:0",
    "8|10|0:9:0, 760:11:0, 807:12:0, 829:-1:0, 1208:0:0, 1477:10:0",
    "9|4|0:32:0, 760:-77:1, 808:96:0, 1208:-32:0",
    "10|10|0:5:0, 552:0:2, 632:-1:2, 683:0:0, 861:3:0, 952:3:1, 1112:0:0",
    "11|10|0:1:0, 552:9:2, 591:11:2, 616:13:2, 683:11:0, 861:2:0, 952:1:1, 1112:39:0",
    "12|9|0:46:0, 379:46:1, 434:38:0, 552:24:0, 683:38:0, 861:16:0, 952:42:1, 1112:17:0",
    "13|4|0:6:0, 379:6:1, 434:13:0, 552:6:0, 861:0:0, 952:0:2, 1064:96:0, 1112:96:0",
    "14|10|0:0:3, 5:1:0, 1683:1:3, 1699:0:0",
    "15|9|0:0:0, 1595:0:2, 1647:1:0, 1657:0:0",
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
std::vector<std::vector<key>> decode_tables()
{
    std::vector<int> rows{0};
    for (int k = 0; k < sync_row_slots && sync_rows[k]; ++k)
        rows.push_back(rows.back() + sync_rows[k]);
    std::vector<std::vector<key>> tracks(1);
    int j = 0;
    for (int i = 0; i < sync_key_count; ++i) {
        tracks.back().push_back({rows.at(j), sync_values[i], sync_modes[i]});
        if (sync_keys[i] == sync_last_key) {
            j = 0;
            if (i + 1 < sync_key_count)
                tracks.emplace_back();
        } else {
            j += sync_keys[i];
        }
    }
    return tracks;
}
}

TEST(ShowTimeline, StoredTablesDecodeToTheChoreography)
{
    const auto tracks = decode_tables();
    ASSERT_EQ(tracks.size(), size_t(sync_track_count));
    std::set<int> distinct;
    for (int t = 0; t < sync_track_count; ++t) {
        const std::string line = choreography[t];
        const size_t bar1 = line.find('|'), bar2 = line.find('|', bar1 + 1);
        EXPECT_EQ(std::stoi(line.substr(0, bar1)), t);
        EXPECT_EQ(sync_scales[t], std::stoi(line.substr(bar1 + 1, bar2 - bar1 - 1))) << "track " << t;
        const auto expected = parse_keys(line.substr(bar2 + 1));
        EXPECT_EQ(tracks[t], expected) << "track " << t;
        for (const key& k : expected)
            distinct.insert(k.row);
        EXPECT_EQ(tracks[t].back().mode, 0) << "a last key holds its value";
    }
    EXPECT_EQ(distinct.size(), 104u);
    EXPECT_EQ(*distinct.rbegin(), 1699);

    int nonzero = 0;
    for (int k = 0; k < sync_row_slots; ++k)
        nonzero += sync_rows[k] != 0;
    EXPECT_EQ(nonzero, 103);
    EXPECT_EQ(sync_rows[0], 5);
    EXPECT_EQ(sync_rows[89], 172);
    EXPECT_EQ(sync_rows[102], 16);
}

TEST(ShowTimeline, ValuesAtRowZero)
{
    float out[sync_track_count] = {};
    syncget(0, out);
    const float expected[sync_track_count] = {0, 6, 50, -1, 1, 1, 11, 0, 9, 0.5f, 5, 1, 23, 0.09375f, 0, 0, 1};
    for (int t = 0; t < sync_track_count; ++t)
        EXPECT_FLOAT_EQ(out[t], expected[t]) << "track " << t;
}

TEST(ShowTimeline, HesitantSwipeAndSceneParameters)
{
    float out[sync_track_count] = {};
    syncget(61, out);
    EXPECT_FLOAT_EQ(out[0], 3.6f);
    syncget(64, out);
    EXPECT_FLOAT_EQ(out[0], 3.5f);

    syncget(800, out);
    // Smooth partial swipe between 797 (1427) and 799 (1434), then held.
    EXPECT_FLOAT_EQ(out[0], 1434.0f / 64);
    EXPECT_FLOAT_EQ(out[6], 14);
    EXPECT_FLOAT_EQ(out[8], 11);
    EXPECT_FLOAT_EQ(out[9], float((-77 + (96 + 77) * (40.0 / 48)) / 64));

    syncget(1700, out);
    EXPECT_FLOAT_EQ(out[0], 36);
    EXPECT_FLOAT_EQ(out[1], 100);
    EXPECT_FLOAT_EQ(out[14], 0) << "faded out";
    EXPECT_FLOAT_EQ(out[13], 1.5f);
}

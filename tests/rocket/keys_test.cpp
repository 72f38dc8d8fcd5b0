// The editor's keys: as the source has them, and packed into the show's tables, exact where the format allows,
// nearest storable otherwise.
#include <gtest/gtest.h>

#include "tools/rocket/rocket_keys.h"

namespace {
float at(const rocket_timeline& t, int track, float row)
{
    sync_scratch scratch;
    float out[sync_track_count];
    sync_evaluate(t.packed.view(), scratch, row, out);
    return out[track];
}

// The show's count of tracks; those a test leaves alone hold no keys.
rocket_source seventeen()
{
    rocket_source s(sync_track_count);
    for (int t = 0; t < sync_track_count; ++t)
        s[t].name = "t" + std::to_string(t);
    return s;
}

bool reports(const rocket_timeline& t, const std::string& part)
{
    for (const std::string& p : t.problems)
        if (p.find(part) != std::string::npos)
            return true;
    return false;
}
}

TEST(RocketKeys, EditorTracksReadAsTheEditorShowsThem)
{
    rocket_source s = seventeen();
    s[0] = {"a", 10, {}};                                             // no keys: 0
    s[1] = {"b", 4, {{16, {2, sync_linear}}, {32, {3, sync_step}}}}; // before the first key: its value
    s[2] = {"c", 11, {{0, {6, sync_step}}, {200, {100, sync_step}}}};
    const rocket_timeline t = rocket_pack(s);
    EXPECT_TRUE(t.problems.empty());
    EXPECT_FLOAT_EQ(at(t, 0, 50), 0);
    EXPECT_FLOAT_EQ(at(t, 1, 0), 2);
    EXPECT_FLOAT_EQ(at(t, 1, 8), 2);
    EXPECT_FLOAT_EQ(at(t, 1, 24), 2.5f);
    EXPECT_FLOAT_EQ(at(t, 1, 99), 3);
    EXPECT_FLOAT_EQ(at(t, 2, 199), 6);
    EXPECT_FLOAT_EQ(at(t, 2, 5000), 100);
}

TEST(RocketKeys, ValuesOffTheScaleUseTheNearestAndSaySo)
{
    rocket_source s = seventeen();
    s[0] = {"zoom", 4, {{0, {50.01f, sync_step}}}}; // steps of 1/64
    s[1] = {"huge", 10, {{0, {1e6f, sync_step}}}};   // past the 16-bit range
    const rocket_timeline t = rocket_pack(s);
    EXPECT_FLOAT_EQ(at(t, 0, 0), 50.015625f) << "nearest step of 1/64";
    EXPECT_FLOAT_EQ(at(t, 1, 0), 32767);
    EXPECT_TRUE(reports(t, "track zoom, row 0: value 50.01"));
    EXPECT_TRUE(reports(t, "track huge, row 0"));
}

TEST(RocketKeys, RowsTooFarApartStayWhereTheyAreAndAreReported)
{
    rocket_source s = seventeen();
    s[0] = {"a", 10, {{0, {0, sync_step}}, {300, {8, sync_step}}, {310, {9, sync_step}}}};
    s[1] = {"b", 10, {{0, {1, sync_step}}, {320, {2, sync_step}}}};
    const rocket_timeline t = rocket_pack(s);
    EXPECT_TRUE(reports(t, "track a, row 300: more than 255 rows"));
    EXPECT_FLOAT_EQ(at(t, 0, 299), 0);
    EXPECT_FLOAT_EQ(at(t, 0, 300), 8);
    EXPECT_FLOAT_EQ(at(t, 0, 310), 9);
    EXPECT_FLOAT_EQ(at(t, 1, 319), 1);
    EXPECT_FLOAT_EQ(at(t, 1, 320), 2);
    EXPECT_EQ(t.problems.size(), 1u);
}

TEST(RocketKeys, PastFiveHundredTwelveRowsKeysAreDroppedFromThePackOnly)
{
    rocket_source s = seventeen();
    s[0] = {"busy", 10, {}};
    for (uint32_t r = 0; r < 600; ++r)
        s[0].keys[r] = {float(r % 7), sync_step};
    s[1] = {"late", 10, {{0, {1, sync_step}}, {700, {5, sync_step}}}};
    const rocket_timeline t = rocket_pack(s);
    EXPECT_TRUE(reports(t, "track busy, row 512: more than 512 distinct key rows"));
    EXPECT_FLOAT_EQ(at(t, 0, 511), 511 % 7);
    EXPECT_FLOAT_EQ(at(t, 1, 9999), 1);
    EXPECT_EQ(s[0].keys.size(), 600u);
}

TEST(RocketKeys, KeysMoreThan254DistinctRowsApartAreReported)
{
    rocket_source s = seventeen();
    s[0] = {"dense", 10, {}};
    for (uint32_t r = 0; r < 300; ++r)
        s[0].keys[r] = {0, sync_step};
    s[1] = {"sweep", 10, {{0, {0, sync_linear}}, {299, {299, sync_step}}}};
    const rocket_timeline t = rocket_pack(s);
    EXPECT_TRUE(reports(t, "track sweep, row 0: the next key"));
    EXPECT_FLOAT_EQ(at(t, 0, 100), 0) << "the other tracks still play";
    EXPECT_EQ(s[1].keys.size(), 2u) << "the author's keys stay as they are";
}

TEST(RocketKeys, TracksHoldABoundedNumberOfKeys)
{
    rocket_track t{"t", 10, {}};
    for (uint32_t r = 0; r < rocket_max_keys_per_track; ++r)
        ASSERT_TRUE(rocket_set_key(t, r, {1, sync_step}));
    EXPECT_FALSE(rocket_set_key(t, 999999, {1, sync_step}));
    EXPECT_TRUE(rocket_set_key(t, 5, {2, sync_step})) << "changing a key that exists is allowed";
    EXPECT_EQ(t.keys.size(), rocket_max_keys_per_track);
}

TEST(RocketKeys, SourceAndEditorHoldTheSameKeysAndValuesReadAsTyped)
{
    const timeline_source source{{{"a", 4, {{-1, 9, sync_step}, {0, 0.1, sync_ramp}, {12, -3, sync_linear}}}}};
    const rocket_source keys = rocket_from_source(source);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].scale, 4);
    ASSERT_EQ(keys[0].keys.size(), 2u) << "a row before 0 is no editor row";
    EXPECT_EQ(keys[0].keys.at(0).mode, sync_ramp);

    const timeline_source back = rocket_to_source(keys);
    ASSERT_EQ(back.tracks.size(), 1u);
    ASSERT_EQ(back.tracks[0].keys.size(), 2u);
    EXPECT_EQ(back.tracks[0].keys[0].value, 0.1) << "the decimal, not the float's binary value";
    EXPECT_EQ(back.tracks[0].keys[1].row, 12);
    EXPECT_EQ(back.tracks[0].keys[1].value, -3);
    EXPECT_EQ(back.tracks[0].keys[1].mode, sync_linear);
}

// Decoding the editor's byte stream, however it is cut into pieces.
#include <gtest/gtest.h>

#include "scripted_editor.h"
#include "tools/rocket/rocket_protocol.h"

namespace {
std::vector<uint8_t> stream()
{
    const std::string hello = "hello, demo!";
    std::vector<uint8_t> s(hello.begin(), hello.end());
    for (const auto& m : {editor_set_key(1, 70000, -2.5f, 3), editor_delete_key(0, 9), editor_set_row(1699),
                          editor_pause(true), editor_save()})
        s.insert(s.end(), m.begin(), m.end());
    return s;
}
}

TEST(RocketProtocol, SameMessagesWholeOrByteByByte)
{
    const std::vector<uint8_t> s = stream();
    rocket_decoder whole, bytewise;
    std::vector<rocket_message> a, b;
    rocket_decode(whole, s.data(), s.size(), 2, a);
    for (uint8_t byte : s)
        rocket_decode(bytewise, &byte, 1, 2, b);
    ASSERT_EQ(a.size(), 5u);
    ASSERT_EQ(b.size(), 5u);
    EXPECT_TRUE(whole.error.empty() && bytewise.error.empty());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].command, b[i].command);
        EXPECT_EQ(a[i].row, b[i].row);
    }
    EXPECT_EQ(a[0].command, rocket_command::set_key);
    EXPECT_EQ(a[0].track, 1u);
    EXPECT_EQ(a[0].row, 70000u);
    EXPECT_FLOAT_EQ(a[0].value, -2.5f);
    EXPECT_EQ(a[0].mode, sync_ramp);
    EXPECT_EQ(a[1].command, rocket_command::delete_key);
    EXPECT_EQ(a[2].row, 1699u);
    EXPECT_TRUE(a[3].paused);
    EXPECT_EQ(a[4].command, rocket_command::save_tracks);
}

TEST(RocketProtocol, ClientMessagesAreBigEndian)
{
    EXPECT_EQ(rocket_encode_get_track("ab"), (std::vector<uint8_t>{2, 0, 0, 0, 2, 'a', 'b'}));
    EXPECT_EQ(rocket_encode_set_row(0x01020304), (std::vector<uint8_t>{3, 1, 2, 3, 4}));
    EXPECT_EQ(rocket_encode_pause(false), (std::vector<uint8_t>{4, 0}));
}

TEST(RocketProtocol, RefusedStreamsStopAtTheFirstBadByte)
{
    const std::string hello = "hello, demo!";
    const std::vector<std::pair<std::vector<uint8_t>, std::string>> cases = {
        {{'h', 'i'}, "greeting"},
        {{2, 0xff, 0xff, 0xff, 0xff, 'x'}, "unknown command byte 2"}, // the editor never asks for tracks
        {{200}, "unknown command byte 200"},
        {editor_set_key(2, 0, 1, 0), "track 2 of 2"},
        {editor_delete_key(7, 0), "track 7 of 2"},
        {editor_set_key(0, 0, 1, 4), "interpolation 4"},
    };
    for (const auto& [bytes, why] : cases) {
        std::vector<uint8_t> s(hello.begin(), hello.end());
        if (why == "greeting")
            s = bytes;
        else
            s.insert(s.end(), bytes.begin(), bytes.end());
        for (uint8_t b : editor_save()) // anything after the fault is not taken
            s.push_back(b);
        rocket_decoder d;
        std::vector<rocket_message> out;
        rocket_decode(d, s.data(), s.size(), 2, out);
        EXPECT_NE(d.error.find(why), std::string::npos) << d.error;
        EXPECT_TRUE(out.empty()) << why;
        EXPECT_LE(d.pending.size(), 14u) << "held bytes never exceed one message";
    }
}

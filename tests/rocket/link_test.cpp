// The link against a scripted editor on 127.0.0.1: keys in, seeks and pauses out, saves, and every way a
// connection can go wrong.
#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <thread>

#include "scripted_editor.h"
#include "tools/rocket/rocket_link.h"
#include "tools/rocket/rocket_project.h"
#include "tools/rocket/rocket_socket.h"

namespace {
// The show's tracks, each holding one key of its own before an editor speaks.
rocket_source show_tracks()
{
    rocket_source s;
    for (const char* name : show_track_names)
        s.push_back({name, 10, {{0, {1, sync_step}}}});
    s[0].scale = 4;
    s[1].scale = 11;
    return s;
}

std::vector<float> evaluate(const rocket_timeline& t, float row)
{
    sync_scratch scratch;
    std::vector<float> out(sync_track_count);
    sync_evaluate(t.packed.view(), scratch, row, out.data());
    return out;
}

size_t keys_in(const timeline_source& s)
{
    size_t n = 0;
    for (const source_track& t : s.tracks)
        n += t.keys.size();
    return n;
}

std::string read_text(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Every note of a timeline text with what it belongs to: the key ("TRACK ROW") or track
// ("track NAME") on its line or the first one below it; "start" or "end" of the file.
std::multiset<std::pair<std::string, std::string>> notes_of(const std::string& text)
{
    std::multiset<std::pair<std::string, std::string>> notes;
    std::vector<std::string> pending;
    std::string track;
    std::istringstream in(text);
    bool started = false;
    for (std::string line; std::getline(in, line);) {
        const size_t hash = line.find('#');
        std::istringstream words(line.substr(0, hash));
        std::string first, second;
        words >> first >> second;
        if (first.empty()) {
            if (hash != std::string::npos)
                pending.push_back(line.substr(hash));
            continue;
        }
        if (first == "track")
            track = second;
        const std::string owner = first == "track" ? "track " + second : track + " " + first;
        for (const std::string& p : pending)
            notes.insert({p, started ? owner : "start"});
        started = true;
        pending.clear();
        if (hash != std::string::npos)
            notes.insert({line.substr(hash), owner});
    }
    for (const std::string& p : pending)
        notes.insert({p, "end"});
    return notes;
}

struct RocketLink : ::testing::Test {
    scripted_editor editor = editor_listen();
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("rocket_link_" + std::to_string(::getpid()) + "_" + std::to_string(editor.port));
    rocket_link* link = nullptr;
    double now = 0;
    rocket_events seen; // everything the link reported, accumulated
    std::shared_ptr<const rocket_timeline> timeline;

    void SetUp() override
    {
        std::filesystem::create_directories(dir);
        rocket_options o;
        o.address.port = editor.port;
        o.timeline_path = (dir / "show.timeline").string();
        o.start = show_tracks();
        o.retry_seconds = 0.05;
        link = rocket_open(o);
    }
    void TearDown() override
    {
        rocket_close(link);
        editor_close(editor);
        std::filesystem::remove_all(dir);
    }

    // Runs link and editor until done() holds; a bounded number of rounds of about a millisecond.
    bool until(const std::function<bool()>& done)
    {
        for (int round = 0; round < 3000; ++round) {
            rocket_events ev = rocket_poll(*link, now);
            now += 0.001;
            editor_pump(editor);
            if (ev.seek_row >= 0)
                seen.seek_row = ev.seek_row;
            if (ev.paused >= 0)
                seen.paused = ev.paused;
            if (ev.timeline)
                timeline = ev.timeline;
            seen.lines.insert(seen.lines.end(), ev.lines.begin(), ev.lines.end());
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }
    bool connected(int n = 1)
    {
        return until([&] { return editor.connections == n && editor.asked.size() == sync_track_count; });
    }
    bool said(const std::string& part)
    {
        for (const std::string& l : seen.lines)
            if (l.find(part) != std::string::npos)
                return true;
        return false;
    }
    // Sends bytes, then waits until the link has packed a timeline from them.
    void send_and_wait(const std::vector<uint8_t>& bytes)
    {
        timeline = nullptr;
        editor_send(editor, bytes);
        ASSERT_TRUE(until([&] { return timeline != nullptr; }));
    }
};
}

TEST_F(RocketLink, AsksForTracksInOrderAndPlaysTheEditorsKeys)
{
    ASSERT_TRUE(connected());
    EXPECT_EQ(editor.asked, std::vector<std::string>(std::begin(show_track_names), std::end(show_track_names)));
    EXPECT_TRUE(said("editor connected"));

    std::vector<uint8_t> keys = editor_set_key(0, 0, 2, 1);
    for (uint8_t b : editor_set_key(0, 16, 4, 0))
        keys.push_back(b);
    for (uint8_t b : editor_set_key(1, 0, 100, 0))
        keys.push_back(b);
    send_and_wait(keys);
    std::vector<float> v = evaluate(*timeline, 8);
    EXPECT_FLOAT_EQ(v[0], 3) << "linear halfway from 2 to 4";
    EXPECT_FLOAT_EQ(v[1], 100);
    EXPECT_FLOAT_EQ(v[2], 0) << "a track the editor holds no keys for is 0";
    EXPECT_TRUE(timeline->problems.empty());

    send_and_wait(editor_delete_key(0, 16));
    EXPECT_FLOAT_EQ(evaluate(*timeline, 100)[0], 2);
}

TEST_F(RocketLink, FollowsCursorAndPauseAndReportsItsOwn)
{
    ASSERT_TRUE(connected());
    editor_send(editor, editor_pause(true));
    editor_send(editor, editor_set_row(400));
    ASSERT_TRUE(until([&] { return seen.seek_row == 400 && seen.paused == 1; }));

    rocket_playing_row(*link, 400); // the row the editor set is not echoed
    rocket_playing_row(*link, 401);
    rocket_playing_row(*link, 401);
    rocket_playing_row(*link, 402);
    rocket_author_paused(*link, true);
    ASSERT_TRUE(until([&] { return editor.pauses.size() == 1; }));
    EXPECT_EQ(editor.rows, (std::vector<uint32_t>{401, 402}));
    EXPECT_EQ(editor.pauses[0], 1);
}

TEST_F(RocketLink, SaveWritesTheEditorsKeysAndKeepsTheOldFile)
{
    {
        std::ofstream(dir / "show.timeline") << "old\n";
    }
    ASSERT_TRUE(connected());
    send_and_wait(editor_set_key(14, 0, 0.3f, 3)); // off the scale: stored approximately, saved exactly
    EXPECT_FALSE(timeline->problems.empty());
    editor_send(editor, editor_save());
    ASSERT_TRUE(until([&] { return said("saved"); }));

    std::ifstream backup(dir / "show.timeline.bak");
    std::string old;
    std::getline(backup, old);
    EXPECT_EQ(old, "old");
    std::ifstream saved(dir / "show.timeline");
    const std::string text((std::istreambuf_iterator<char>(saved)), {});
    EXPECT_NE(text.find("track out:gain scale 10\n  0 0.3 ramp\n"), std::string::npos) << text;
    EXPECT_NE(text.find("track feed:target scale 4\n  0 0 step\n"), std::string::npos) << "the editor's empty track";
}

TEST_F(RocketLink, SaveIntoAMissingFolderSaysWhy)
{
    rocket_close(link);
    rocket_options o;
    o.address.port = editor.port;
    o.timeline_path = (dir / "no" / "such" / "show.timeline").string();
    o.start = show_tracks();
    link = rocket_open(o);
    ASSERT_TRUE(connected());
    editor_send(editor, editor_save());
    ASSERT_TRUE(until([&] { return said("could not save"); }));
}

TEST_F(RocketLink, NoEditorIsSaidOnceThenItIsFoundWhenItComes)
{
    const uint16_t port = editor.port;
    editor_stop_listening(editor);
    until([] { return false; }); // three seconds of retries, at 0.05 s each
    int absent = 0;
    for (const std::string& l : seen.lines)
        absent += l.find("no editor listens") != std::string::npos;
    EXPECT_EQ(absent, 1);

    // The same port again, now with an editor behind it.
    scripted_editor back = editor_listen(port);
    std::swap(editor, back);
    editor_close(back);
    ASSERT_TRUE(connected());
}

TEST_F(RocketLink, ReconnectsAfterEditorLeavesAndAsksForTracksAgain)
{
    ASSERT_TRUE(connected());
    send_and_wait(editor_set_key(1, 0, 50, 0));
    editor_send(editor, {0, 0, 0}); // leaves in the middle of a SET_KEY
    editor_hang_up(editor);
    ASSERT_TRUE(connected(2));
    EXPECT_TRUE(said("editor went away"));
    EXPECT_EQ(editor.asked.size(), size_t(sync_track_count));
    send_and_wait(editor_set_key(0, 0, 7, 0));
    EXPECT_FLOAT_EQ(evaluate(*timeline, 0)[0], 7);
    EXPECT_FLOAT_EQ(evaluate(*timeline, 0)[1], 0) << "the keys are the new editor's, not the old one's";
}

TEST_F(RocketLink, MalformedMessagesCloseTheConnectionWithAReason)
{
    const std::vector<std::pair<std::vector<uint8_t>, std::string>> cases = {
        {{9, 1, 2, 3}, "unknown command byte 9"},
        {{2, 0xff, 0xff, 0xff, 0xff}, "unknown command byte 2"}, // a track request with a huge name length
        {editor_set_key(17, 0, 1, 0), "track 17 of 17"},
        {editor_set_key(0, 0, 1, 7), "interpolation 7"},
        {{4, 2}, "pause flag 2"},
    };
    int connection = 1;
    for (const auto& [bytes, why] : cases) {
        ASSERT_TRUE(connected(connection)) << why;
        editor_send(editor, bytes);
        ASSERT_TRUE(until([&] { return said(why); })) << why;
        editor_hang_up(editor);
        ++connection;
    }
    ASSERT_TRUE(connected(connection));
}

TEST_F(RocketLink, ASlowNameLookupNeverHoldsUpAPoll)
{
    // A name service that takes half a second, does not know the name at first, then answers.
    static std::atomic<int> lookups{0};
    const auto by_name_service = rocket_resolve;
    rocket_resolve = [](const std::string& host, uint32_t& address) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        address = htonl(INADDR_LOOPBACK);
        return host == "editor.host" && ++lookups > 1;
    };
    rocket_close(link);
    rocket_options o;
    o.address = {"editor.host", editor.port};
    o.start = show_tracks();
    o.retry_seconds = 0.05;
    link = rocket_open(o);
    double slowest = 0;
    for (int round = 0; round < 3000 && editor.asked.size() < sync_track_count; ++round) {
        const auto start = std::chrono::steady_clock::now();
        rocket_poll(*link, now);
        slowest = std::max(slowest, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        now += 0.001;
        editor_pump(editor);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    rocket_close(link); // gives up no lookup under way: the link is connected
    link = nullptr;
    rocket_resolve = by_name_service;
    EXPECT_EQ(editor.asked.size(), size_t(sync_track_count));
    EXPECT_EQ(lookups, 2);
    EXPECT_LT(slowest, 0.1);
}

TEST_F(RocketLink, AWrongGreetingClosesTheConnection)
{
    editor.answer_greeting = false;
    ASSERT_TRUE(until([&] { return editor.greeted; }));
    editor_send(editor, {'h', 'e', 'l', 'l', 'o', ',', ' ', 'x'});
    ASSERT_TRUE(until([&] { return said("greeting"); }));
}

TEST_F(RocketLink, TheExportedProjectServedByAnEditorPlaysAsTheBuiltShow)
{
    std::ifstream in(SWIPEMIX_SOURCE_DIR "/timeline/show.timeline");
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    timeline_source source;
    std::string error;
    ASSERT_TRUE(parse_timeline(text, source, error)) << error;
    const timeline_source project = editor_open_project(rocket_project_xml(source, show_end_row + 1));

    rocket_close(link);
    rocket_options o;
    o.address.port = editor.port;
    o.start = rocket_from_source(source); // the studio's tracks: names and scales from the source
    link = rocket_open(o);

    // The editor serves each track's keys under the index the studio asked for it by.
    ASSERT_TRUE(until([&] { return editor.asked.size() == size_t(sync_track_count); }));
    std::vector<uint8_t> keys;
    for (const source_track& t : project.tracks) {
        const auto asked = std::find(editor.asked.begin(), editor.asked.end(), t.name);
        ASSERT_NE(asked, editor.asked.end()) << t.name;
        for (const source_key& k : t.keys)
            for (uint8_t b : editor_set_key(uint32_t(asked - editor.asked.begin()), k))
                keys.push_back(b);
    }
    editor_send(editor, keys);
    ASSERT_TRUE(until([&] {
        size_t held = 0;
        for (const rocket_track& t : rocket_keys(*link))
            held += t.keys.size();
        return held == keys_in(source) && timeline;
    }));

    // Same keys as the source, and, with the source's scales, the very tables the show is built with.
    const timeline_source back = rocket_to_source(rocket_keys(*link));
    for (size_t t = 0; t < source.tracks.size(); ++t) {
        ASSERT_EQ(back.tracks[t].keys.size(), source.tracks[t].keys.size()) << source.tracks[t].name;
        for (size_t k = 0; k < source.tracks[t].keys.size(); ++k) {
            EXPECT_EQ(back.tracks[t].keys[k].row, source.tracks[t].keys[k].row);
            EXPECT_EQ(back.tracks[t].keys[k].value, source.tracks[t].keys[k].value);
            EXPECT_EQ(back.tracks[t].keys[k].mode, source.tracks[t].keys[k].mode);
        }
    }
    const sync_tables packed = timeline->packed.view();
    ASSERT_EQ(packed.key_count, show_sync.key_count);
    EXPECT_EQ(0, std::memcmp(packed.rows, show_sync.rows, sync_row_slots));
    EXPECT_EQ(0, std::memcmp(packed.keys, show_sync.keys, size_t(packed.key_count)));
    EXPECT_EQ(0, std::memcmp(packed.modes, show_sync.modes, size_t(packed.key_count)));
    EXPECT_EQ(0, std::memcmp(packed.values, show_sync.values, 2 * size_t(packed.key_count)));
    EXPECT_EQ(0, std::memcmp(packed.scales, show_sync.scales, sync_track_count));
    EXPECT_TRUE(timeline->problems.empty()) << timeline->problems.front();
}

TEST_F(RocketLink, SavingTheShowAfterAnEditorSessionKeepsEveryNoteOfItsKeys)
{
    const std::string before = read_text(SWIPEMIX_SOURCE_DIR "/timeline/show.timeline");
    timeline_source source;
    std::string error;
    ASSERT_TRUE(parse_timeline(before, source, error)) << error;
    const std::filesystem::path file = dir / "show.timeline";
    std::ofstream(file, std::ios::binary) << before;

    rocket_close(link);
    rocket_options o;
    o.address.port = editor.port;
    o.timeline_path = file.string();
    o.start = rocket_from_source(source);
    link = rocket_open(o);
    ASSERT_TRUE(connected());

    // The editor serves the file's keys, then the author changes values and modes on rows that
    // hold notes, adds a key, changes one without a note and deletes two: one with a note on
    // its line, one without.
    std::vector<uint8_t> edits = editor_set_keys(source);
    const source_track& target = source.tracks[0];
    ASSERT_GT(target.keys.size(), 4u);
    const uint32_t noted_row = uint32_t(target.keys[1].row), deleted_row = uint32_t(target.keys[2].row);
    for (uint8_t b : editor_set_key(0, noted_row, 0.5f, 2))
        edits.push_back(b);
    for (const auto& m : {editor_set_key(9, 3, 0.25f, 1), editor_set_key(0, uint32_t(target.keys[3].row), 2, 0),
                          editor_delete_key(0, deleted_row), editor_delete_key(16, 0)})
        edits.insert(edits.end(), m.begin(), m.end());
    send_and_wait(edits);
    editor_send(editor, editor_save());
    ASSERT_TRUE(until([&] { return said("saved"); }));

    const std::string after = read_text(file);
    EXPECT_EQ(read_text(dir / "show.timeline.bak"), before);
    auto expected = notes_of(before);
    const std::string gone = "feed:target " + std::to_string(deleted_row);
    ASSERT_TRUE(std::any_of(expected.begin(), expected.end(), [&](const auto& n) { return n.second == gone; }))
        << "the deleted key should have had a note";
    std::erase_if(expected, [&](const auto& n) { return n.second == gone; });
    EXPECT_EQ(notes_of(after), expected);
    EXPECT_EQ(after.substr(0, after.find("\ntrack")), before.substr(0, before.find("\ntrack"))) << "header";
    EXPECT_NE(after.find("  " + std::to_string(noted_row) + " 0.5 smooth  # "), std::string::npos) << after;
    EXPECT_NE(after.find("track out:gamma scale 10\n  0 0 step\n"), std::string::npos) << "the emptied track";

    timeline_source saved;
    ASSERT_TRUE(parse_timeline(after, saved, error)) << error;
    EXPECT_EQ(keys_in(saved), keys_in(source)) << "one key deleted, one added";
}

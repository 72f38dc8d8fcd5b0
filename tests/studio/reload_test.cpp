// Effects and the timeline reloaded while the studio runs, on a headless
// device: a saved change shows in the next frames, a text that fails keeps the
// last good picture and says why, and fixing it recovers.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "driver/frame.h"
#include "driver/authoring.h"
#include "graphics/authoring.h"
#include "tests/fixtures/fixture_timeline.h"
#include "tools/stepped/stepped_show.h"
#include "tools/studio/live_shaders.h"
#include "tools/studio/live_timeline.h"
#include "tools/studio/screen.h"

namespace fs = std::filesystem;

namespace {
const fs::path folder = fs::temp_directory_path() / ("swipemix-reload-" + std::to_string(::getpid()));

std::string read_file(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

// Written whole under another name, then renamed over: how editors save.
void save(const fs::path& path, const std::string& text)
{
    const fs::path temporary = path.string() + ".swp";
    std::ofstream(temporary, std::ios::binary) << text;
    fs::rename(temporary, path);
}

std::vector<unsigned> frame()
{
    const unsigned* p = presented_pixels();
    return {p, p + size_t(W) * frame_height};
}

std::vector<unsigned> entry_picture(int e)
{
    draw_entry_plain(e, 1.5, 300);
    return frame();
}

unsigned centre(const std::vector<unsigned>& pixels) { return pixels[size_t(W) * 480 + W / 2]; }

// Waits, up to `seconds`, for the watcher to hand a recompiled shader over.
bool swapped_soon(double seconds = 20)
{
    for (int k = 0; k < seconds * 20; ++k) {
        if (swap_in_shaders())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

std::shared_ptr<const packed_timeline> timeline_soon(double seconds = 20)
{
    for (int k = 0; k < seconds * 20; ++k) {
        if (std::shared_ptr<const packed_timeline> t = take_timeline())
            return t;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return nullptr;
}

class Reload : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        fs::create_directories(folder / "shaders");
        for (const char* name : {"e05.hlsl", "e11.hlsl"})
            fs::copy_file(fs::path(SWIPEMIX_SOURCE_DIR) / "graphics/shaders" / name, folder / "shaders" / name);
        fs::copy_file(fs::path(SWIPEMIX_FIXTURES) / "fixture.timeline", folder / "show.timeline");
        ASSERT_TRUE(start_renderer((folder / "shaders").c_str()));
    }
    static void TearDownTestSuite() { fs::remove_all(folder); }
};
}

// Entries 11 and 21 draw with one file: a save must reach both.
TEST_F(Reload, SharedEffectReachesEveryEntryUsingIt)
{
    const fs::path file = folder / "shaders/e11.hlsl";
    const std::string original = read_file(file);
    const std::vector<unsigned> before = entry_picture(21);

    save(file, "void ya(out float4 o, float2 h) { o = float4(1, 0, 0, 1); }\n");
    recompile_file((folder / "shaders").c_str(), "e11.hlsl");
    EXPECT_EQ(shader_errors(), "");
    EXPECT_TRUE(swapped_soon());
    for (int e : {11, 21})
        EXPECT_EQ(centre(entry_picture(e)) & 0x3fffffff, 1023u) << "entry " << e;

    save(file, original);
    recompile_file((folder / "shaders").c_str(), "e11.hlsl");
    EXPECT_TRUE(swapped_soon());
    EXPECT_EQ(entry_picture(21), before);
}

// The A/B view: a save keeps the version it replaced in every slot the file
// feeds, exchanged in and out without recompiling; the reload names its file.
TEST_F(Reload, TheVersionASaveReplacedStaysForTheComparison)
{
    const fs::path file = folder / "shaders/e11.hlsl";
    const std::string original = read_file(file);
    const std::vector<unsigned> was11 = entry_picture(11), was21 = entry_picture(21);
    take_shader_notices();

    save(file, "void ya(out float4 o, float2 h) { o = float4(1, 0, 0, 1); }\n");
    recompile_file((folder / "shaders").c_str(), "e11.hlsl");
    EXPECT_TRUE(swapped_soon());
    swap_in_shaders(), swap_in_shaders();
    const std::vector<std::string> said = take_shader_notices();
    EXPECT_EQ(said, std::vector<std::string>{"e11.hlsl reloaded"});
    ASSERT_TRUE(versions_kept());
    const std::vector<unsigned> red = entry_picture(11);
    EXPECT_EQ(centre(red) & 0x3fffffff, 1023u);

    exchange_versions();
    EXPECT_EQ(entry_picture(11), was11) << "the version before the save";
    EXPECT_EQ(entry_picture(21), was21) << "every entry the file feeds";
    exchange_versions();
    EXPECT_EQ(entry_picture(11), red) << "twice puts the new version back";

    // The next save compares against the red one it replaces.
    save(file, original);
    recompile_file((folder / "shaders").c_str(), "e11.hlsl");
    EXPECT_TRUE(swapped_soon());
    swap_in_shaders(), swap_in_shaders();
    EXPECT_EQ(entry_picture(11), was11);
    exchange_versions();
    EXPECT_EQ(entry_picture(11), red);
    exchange_versions();

    // A file named like an effect that no entry reads is named, and compiles nothing.
    take_shader_notices(); // the second reload's
    save(folder / "shaders/e21.hlsl", original);
    recompile_file((folder / "shaders").c_str(), "e21.hlsl");
    EXPECT_EQ(take_shader_notices(), std::vector<std::string>{"e21.hlsl is read by no entry: unused"});
    EXPECT_FALSE(swap_in_shaders());
    fs::remove(folder / "shaders/e21.hlsl");
}

TEST_F(Reload, EffectChangesBreaksAndRecovers)
{
    const fs::path file = folder / "shaders/e05.hlsl";
    const std::string original = read_file(file);
    const std::vector<unsigned> before = entry_picture(5);

    save(file, "void ya(out float4 o, float2 h) { o = float4(1, 0, 0, 1); }\n");
    recompile_file((folder / "shaders").c_str(), "e05.hlsl");
    EXPECT_EQ(shader_errors(), "");
    EXPECT_TRUE(swapped_soon());
    const std::vector<unsigned> red = entry_picture(5);
    EXPECT_EQ(centre(red) & 0x3fffffff, 1023u) << "pure red: red full, green and blue 0";

    save(file, "// a comment\nvoid ya(out float4 o, float2 h) { o = float4(0, 1, 0 1); }\n");
    recompile_file((folder / "shaders").c_str(), "e05.hlsl");
    const std::string errors = shader_errors();
    EXPECT_NE(errors.find("e05.hlsl line 2 (entry 5)"), std::string::npos) << errors;
    EXPECT_FALSE(swap_in_shaders()) << "nothing compiled, nothing swapped";
    EXPECT_EQ(entry_picture(5), red) << "the last good shader keeps running";

    // The prefix saved while e05 is broken: e05's error is shown once, and
    // belongs to e05, so that fixing e05 alone clears it (below).
    // Frames meanwhile: none shows a progress line just before a new shader
    // first runs, where one that never finishes would leave it on screen.
    std::atomic<bool> compiled = false;
    std::thread prefix([&compiled] {
        recompile_file((folder / "shaders").c_str(), "prefix.hlsl");
        compiled = true;
    });
    std::string line_shown;
    int swaps = 0, lines = 0;
    while (!compiled) {
        if (swap_in_shaders()) {
            ++swaps;
            EXPECT_EQ(line_shown, "") << "a new shader ran after a frame showing the recompile's progress";
        }
        line_shown = recompile_progress();
        lines += !line_shown.empty();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    prefix.join();
    swap_in_shaders(), swap_in_shaders();
    EXPECT_GT(swaps, 0);
    EXPECT_GT(lines, 0) << "the progress was shown between the swaps";
    const std::string both = shader_errors();
    EXPECT_NE(both.find("entry 5 did not compile"), std::string::npos) << both;
    EXPECT_EQ(both.find("entry 5 did not compile"), both.rfind("entry 5 did not compile")) << both;

    // A NUL byte would cut the text short where the compiler reads it: the file is refused, by its line.
    const char cut[] = "// a comment\n\nvoid ya(out float4 o, float2 h) { o = 0; }\0\n}\n";
    save(file, std::string(cut, sizeof cut - 1));
    recompile_file((folder / "shaders").c_str(), "e05.hlsl");
    const std::string nul = shader_errors();
    EXPECT_NE(nul.find("e05.hlsl holds a NUL byte on line 3"), std::string::npos) << nul;
    EXPECT_FALSE(swap_in_shaders());

    // The watcher thread sees a save and recompiles on its own, a save made
    // after the folder was watched but before it is followed included.
    watch_shaders((folder / "shaders").c_str());
    save(file, original);
    follow_shaders();
    ASSERT_TRUE(swapped_soon()) << "the save was not seen";
    EXPECT_EQ(shader_errors(), "");
    EXPECT_EQ(entry_picture(5), before);

    // The folder deleted and made anew, then moved away and replaced: the
    // watch follows the path, and what changed meanwhile is recompiled.
    const fs::path shaders = folder / "shaders", aside = folder / "aside";
    fs::copy(shaders, aside);
    fs::remove_all(shaders);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    fs::copy(aside, shaders);
    save(shaders / "e05.hlsl", "void ya(out float4 o, float2 h) { o = float4(1, 0, 0, 1); }\n");
    ASSERT_TRUE(swapped_soon()) << "a save into the new folder was not seen";
    EXPECT_EQ(centre(entry_picture(5)) & 0x3fffffff, 1023u);

    std::ofstream(aside / "e05.hlsl") << original;
    fs::rename(shaders, folder / "gone");
    fs::rename(aside, shaders);
    ASSERT_TRUE(swapped_soon()) << "the replacing folder's changed text was not read";
    EXPECT_EQ(entry_picture(5), before);
    save(shaders / "e05.hlsl", "void ya(out float4 o, float2 h) { o = float4(1, 0, 0, 1); }\n");
    ASSERT_TRUE(swapped_soon()) << "a save into the replacing folder was not seen";
    EXPECT_EQ(centre(entry_picture(5)) & 0x3fffffff, 1023u);
    save(shaders / "e05.hlsl", original);
    ASSERT_TRUE(swapped_soon());
    fs::remove_all(folder / "gone");

    // A file that has vanished is not stood in for by the built-in text: the last good shader stays, and it is said.
    const auto wait_for_swap = [] {
        bool swapped = false;
        for (int k = 0; k < 200 && !(swapped = swap_in_shaders()); ++k)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return swapped;
    };
    save(file, "void ya(out float4 o, float2 h) { o = float4(1, 0, 0, 1); }\n");
    ASSERT_TRUE(wait_for_swap());
    fs::rename(file, folder / "e05.away");
    recompile_file((folder / "shaders").c_str(), "e05.hlsl");
    const std::string vanished = shader_errors();
    EXPECT_NE(vanished.find("e05.hlsl cannot be read: No such file or directory"), std::string::npos) << vanished;
    EXPECT_FALSE(swap_in_shaders());
    EXPECT_EQ(entry_picture(5), red) << "the last good shader, not the built-in text";
    fs::remove(folder / "e05.away");
    save(file, original);
    EXPECT_TRUE(wait_for_swap());
}

TEST_F(Reload, TimelinePacksRefusesAndRecovers)
{
    const fs::path file = folder / "show.timeline";
    const std::string original = read_file(file);
    reload_timeline(file);
    std::shared_ptr<const packed_timeline> today = take_timeline();
    ASSERT_TRUE(today);
    EXPECT_FALSE(take_timeline()) << "a timeline is taken once";
    const sync_tables view = today->view();
    const sync_tables fixture = fixture_timeline().view();
    ASSERT_EQ(view.key_count, fixture.key_count);
    EXPECT_TRUE(std::equal(view.values, view.values + view.key_count, fixture.values));
    play_timeline(view);
    draw_entry_as_shown(5, 300);
    const std::vector<unsigned> before = frame();

    // out:gain 0 from row 5 on: the same entry goes black.
    std::string dark = original;
    const size_t gain = dark.find("track out:gain");
    ASSERT_NE(gain, std::string::npos);
    dark.replace(dark.find("5 1 step", gain), 8, "5 0 step");
    save(file, dark);
    reload_timeline(file);
    EXPECT_EQ(timeline_errors(), "");
    std::shared_ptr<const packed_timeline> darker = take_timeline();
    ASSERT_TRUE(darker);
    const sync_tables dark_view = darker->view();
    play_timeline(dark_view);
    draw_entry_as_shown(5, 300);
    const std::vector<unsigned> black = frame();
    EXPECT_NE(black, before);
    EXPECT_EQ(centre(black) & 0x3fffffff, 0u);

    std::string broken = original;
    broken.replace(broken.find("5 1 step", gain), 8, "5 1.3 step");
    save(file, broken);
    reload_timeline(file);
    EXPECT_FALSE(take_timeline()) << "the last good timeline stays";
    const std::string errors = timeline_errors();
    EXPECT_NE(errors.find("out:gain"), std::string::npos) << errors;
    EXPECT_NE(errors.find("row 5"), std::string::npos) << errors;
    EXPECT_EQ(last_good_source().tracks.at(14).keys.at(1).value, 0) << "the dark text was the last good one";

    watch_timeline(file);
    save(file, original);
    follow_timeline_file();
    std::shared_ptr<const packed_timeline> again = timeline_soon();
    ASSERT_TRUE(again) << "the save was not seen";
    EXPECT_EQ(timeline_errors(), "");
    const sync_tables again_view = again->view();
    play_timeline(again_view);
    draw_entry_as_shown(5, 300);
    EXPECT_EQ(frame(), before);

    // The timeline's folder moved away and another put in its place: its text is read.
    const fs::path other = folder.string() + "-other";
    fs::create_directories(other);
    fs::copy_file(SWIPEMIX_FIXTURES "/fixture.timeline", other / "show.timeline");
    fs::rename(folder, folder.string() + "-moved");
    fs::rename(other, folder);
    fs::rename(folder.string() + "-moved/shaders", folder / "shaders");
    fs::remove_all(folder.string() + "-moved");
    save(file, dark);
    std::shared_ptr<const packed_timeline> replaced = timeline_soon();
    for (std::shared_ptr<const packed_timeline> later; (later = timeline_soon(1));)
        replaced = later; // the folder's own text first, then the save
    ASSERT_TRUE(replaced) << "the save into the replacing folder was not seen";
    EXPECT_EQ(last_good_source().tracks.at(14).keys.at(1).value, 0) << "the dark text plays";
    play_timeline(show_sync);
}

// In a wide window the display sits beside the column, where the passes never
// draw: hiding it must clear it there too.
TEST_F(Reload, AHiddenDisplayLeavesNothingBesideTheColumn)
{
    set_back_buffer_width(1920);
    const int side = column_left(W);
    auto lit_beside = [side] {
        const std::vector<unsigned> pixels = frame();
        long lit = 0;
        for (int y = 0; y < frame_height; ++y)
            for (int x = 0; x < W; ++x)
                lit += (x < side || x >= side + column_width) && (pixels[size_t(y) * W + x] & 0x3fffffff) != 0;
        return lit;
    };
    const float values[sync_track_count] = {};
    const studio_view view = {100, false, 0, 12.5, 30, 150, 1, false, 0, -1, values};
    draw_entry_as_shown(0, 100);
    const feed_state shown = pose_entry(first_feed(), 0, 100, 100 * row_seconds);
    draw_passes(shown);
    draw_studio_screen(view, lay_out(W, 720, true), {"a message"});
    present();
    EXPECT_GT(lit_beside(), 1000) << "the display and the message show beside the column";
    draw_passes(shown);
    draw_studio_screen(view, lay_out(W, 720, false), {});
    present();
    EXPECT_EQ(lit_beside(), 0);
    set_back_buffer_width(column_width);
}

// With the panels shown the column is drawn whole, smaller, above the strip:
// each part of it is where the scale puts it, and no message lies over it.
TEST_F(Reload, TheColumnIsFittedWholeAboveTheStrip)
{
    set_back_buffer_width(1920);
    const int left = column_left(W);
    const float values[sync_track_count] = {};
    const studio_view view = {100, false, 0, 12.5, 30, 150, 1, false, 0, -1, values};
    draw_entry_as_shown(4, 100);
    const feed_state shown = pose_entry(first_feed(), 4, 100, 100 * row_seconds);
    draw_passes(shown);
    present();
    const std::vector<unsigned> whole = frame();
    draw_passes(shown);
    const studio_layout l = lay_out(W, 720, true);
    draw_studio_screen(view, l, {"a message", "and another"});
    present();
    const std::vector<unsigned> fitted = frame();
    const double scale = double(l.column.width) / column_width;
    // Blocks of the fitted column against the parts of the whole one they show, by their mean green.
    const auto green = [](const std::vector<unsigned>& p, int x0, int y0, int size) {
        double sum = 0;
        for (int y = y0; y < y0 + size; ++y)
            for (int x = x0; x < x0 + size; ++x)
                sum += p[size_t(y) * W + x] >> 10 & 1023;
        return sum / (size * size);
    };
    double error = 0, spread = 0;
    int blocks = 0;
    for (int by = 0; by + 32 <= l.column.height; by += 32)
        for (int bx = 0; bx + 32 <= l.column.width; bx += 32) {
            const double shown = green(fitted, l.column.x + bx, l.column.y + by, 32);
            const int size = int(32 / scale);
            const double meant = green(whole, left + int(bx / scale), int(by / scale), size);
            error += std::abs(shown - meant), spread += std::abs(meant - 512), ++blocks;
        }
    ASSERT_GT(blocks, 100);
    EXPECT_LT(error / blocks, 12) << "mean difference in 10-bit green, the picture's spread being " << spread / blocks;
    set_back_buffer_width(column_width);
}

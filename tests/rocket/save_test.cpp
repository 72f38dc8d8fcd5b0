// Saving the editor's keys: what the file's reader would refuse stays out, and a save that
// fails leaves the file, its backup and the folder as they were and says why.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>

#include "tools/rocket/rocket_save.h"

namespace fs = std::filesystem;

namespace {
const char* const file_text = "# notes\n\ntrack a scale 10\n  0 1 step\n  8 2 step  # kept\n";

std::string read_text(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct RocketSave : ::testing::Test {
    const fs::path root = fs::temp_directory_path() / ("rocket_save_" + std::to_string(::getpid()));
    fs::path dir = root, file = dir / "show.timeline";
    fs::path mounted;
    rocket_source keys = {{"a", 10, {{0, {1, sync_step}}, {8, {2, sync_step}}, {16, {7, sync_linear}}}}};

    void SetUp() override
    {
        fs::create_directories(dir);
        std::ofstream(file, std::ios::binary) << file_text;
        std::ofstream(dir / "show.timeline.bak", std::ios::binary) << "the one before\n";
    }
    void TearDown() override
    {
        if (!mounted.empty())
            ::umount(mounted.c_str());
        fs::remove_all(root);
    }

    std::set<std::string> entries()
    {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(dir))
            names.insert(e.path().filename().string());
        return names;
    }
    // The save fails with `reason` in its line and touches nothing.
    void expect_failure_touching_nothing(const std::string& reason)
    {
        const std::set<std::string> before = entries();
        const std::string line = rocket_save(keys, file.string());
        EXPECT_EQ(line.rfind("could not save " + file.string() + ": ", 0), 0u) << line;
        EXPECT_NE(line.find(reason), std::string::npos) << line;
        EXPECT_EQ(line.find('\n'), std::string::npos) << "one line";
        EXPECT_EQ(read_text(file), file_text);
        EXPECT_EQ(read_text(dir / "show.timeline.bak"), "the one before\n");
        EXPECT_EQ(entries(), before) << "no temporary file left behind";
    }
};
}

TEST_F(RocketSave, KeysTheReaderWouldRefuseStayOutAndTheFileKeepsItsOwn)
{
    const float nan = std::nanf(""), inf = INFINITY;
    keys[0].keys[8] = {nan, sync_step};
    keys[0].keys[24] = {inf, sync_linear};
    keys[0].keys[32] = {1e38f, sync_step};
    keys[0].keys[0xFFFFFFFFu] = {3, sync_step};
    keys[0].keys[uint32_t(show_end_row)] = {4, sync_step};
    const std::string line = rocket_save(keys, file.string());
    EXPECT_NE(line.find("saved " + file.string()), std::string::npos) << line;
    EXPECT_NE(line.find("not saved, kept in the editor: a row 8 (not a finite value), a row 24 (not a finite value), "
                        "a row 32 (beyond the track's range), a row 4294967295 (past the show's end)"),
              std::string::npos)
        << line;
    EXPECT_EQ(keys[0].keys.size(), 7u) << "the editor's keys stay as they are";

    const std::string text = read_text(file);
    EXPECT_EQ(text, "# notes\n\ntrack a scale 10\n  0 1 step\n  8 2 step  # kept\n  16 7 linear\n  1712 4 step\n");
    EXPECT_EQ(read_text(dir / "show.timeline.bak"), file_text);
    EXPECT_EQ(entries(), (std::set<std::string>{"show.timeline", "show.timeline.bak"}));
}

TEST_F(RocketSave, AFailedWriteOrBackupTouchesNothingAndSaysWhy)
{
    // A folder where a temporary file has to go stands in for a write the disk refuses.
    fs::create_directory(dir / "show.timeline.new");
    expect_failure_touching_nothing("show.timeline.new: File exists");
    fs::remove(dir / "show.timeline.new");

    fs::create_directory(dir / "show.timeline.bak.new");
    expect_failure_touching_nothing("show.timeline.bak.new: File exists");
    fs::remove(dir / "show.timeline.bak.new");

    const std::string gone = rocket_save(keys, (dir / "gone" / "show.timeline").string());
    EXPECT_NE(gone.find("No such file or directory"), std::string::npos) << gone;
    EXPECT_FALSE(fs::exists(dir / "gone"));
}

TEST_F(RocketSave, AFullDiskOrAReadOnlyFolderTouchesNothing)
{
    // A small file system of its own: two pages, filled by the file and its backup.
    const fs::path mount_point = dir / "small";
    fs::create_directory(mount_point);
    if (::mount("tmpfs", mount_point.c_str(), "tmpfs", 0, "size=8k") != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    mounted = dir = mount_point;
    file = dir / "show.timeline";
    SetUp();
    std::ofstream(dir / "show.timeline.bak", std::ios::binary) << std::string(4000, '#') << "\n";
    std::ofstream(file, std::ios::binary) << file_text << std::string(3000, '#') << "\n";
    const std::string full_text = read_text(file);

    const std::set<std::string> before = entries();
    std::string line = rocket_save(keys, file.string());
    EXPECT_NE(line.find("No space left on device"), std::string::npos) << line;
    EXPECT_EQ(read_text(file), full_text);
    EXPECT_EQ(read_text(dir / "show.timeline.bak"), std::string(4000, '#') + "\n");
    EXPECT_EQ(entries(), before);

    ASSERT_EQ(::mount("tmpfs", mount_point.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=8k"), 0);
    line = rocket_save(keys, file.string());
    EXPECT_NE(line.find("Read-only file system"), std::string::npos) << line;
    EXPECT_EQ(read_text(file), full_text);
    EXPECT_EQ(entries(), before);
}

TEST_F(RocketSave, ASaveThroughALinkWritesTheFileItLeadsToAndKeepsTheLink)
{
    // A symbolic link, relative, in another folder: the link stays, its target gets the keys.
    fs::create_directory(dir / "links");
    const fs::path link = dir / "links" / "show.timeline";
    fs::create_symlink("../show.timeline", link);
    std::string line = rocket_save(keys, link.string());
    EXPECT_NE(line.find("saved " + (dir / "links" / "../show.timeline").string()), std::string::npos) << line;
    EXPECT_NE(line.find(link.string()), std::string::npos) << "the line names the link too: " << line;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_NE(read_text(file).find("  16 7 linear\n"), std::string::npos) << read_text(file);
    EXPECT_EQ(read_text(dir / "show.timeline.bak"), file_text);

    // A hard link sees the save as well: the file is written where it is.
    const fs::path other = dir / "links" / "hard.timeline";
    fs::create_hard_link(file, other);
    keys[0].keys[40] = {5, sync_step};
    line = rocket_save(keys, file.string());
    EXPECT_EQ(line.rfind("saved " + file.string(), 0), 0u) << line;
    EXPECT_EQ(fs::hard_link_count(file), 2u);
    EXPECT_NE(read_text(other).find("  40 5 step\n"), std::string::npos) << read_text(other);
    EXPECT_FALSE(fs::exists(dir / "show.timeline.new"));
}

TEST_F(RocketSave, AFileTheBuildWouldRefuseIsSavedAndSaysSo)
{
    // The show's 17 tracks; one gets more distinct key rows than the tables hold.
    rocket_source show;
    for (const char* name : show_track_names)
        show.push_back({name, 10, {{0, {1, sync_step}}}});
    std::string line = rocket_save(show, file.string());
    EXPECT_EQ(line.find("refuse"), std::string::npos) << line;
    for (uint32_t row = 1; row <= 1500; ++row)
        show[14].keys[row] = {1, sync_step};
    line = rocket_save(show, file.string());
    EXPECT_EQ(line.rfind("saved " + file.string(), 0), 0u) << "the author's keys are kept: " << line;
    EXPECT_NE(line.find("; the build will refuse this file: track out:gain, row 512: more than 512 distinct key rows"),
              std::string::npos)
        << line;
}

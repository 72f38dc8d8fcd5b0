// An author's file read whole: what is not a plain file, or has no end, is
// refused at once with its reason, and a file that is not there is told apart.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tools/common/text_file.h"

namespace fs = std::filesystem;

TEST(TextFile, ReadsAPlainFileWholeAndTellsAMissingOneApart)
{
    const fs::path dir = fs::temp_directory_path() / ("text_file_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "a.txt", std::ios::binary) << std::string(100000, 'x') << '\0' << "end";
    std::string text, error;
    EXPECT_EQ(read_text_file((dir / "a.txt").string(), 1 << 20, text, error), text_read::read);
    EXPECT_EQ(text.size(), 100004u) << "past the NUL and the first read's chunk";
    EXPECT_EQ(check_text_file((dir / "a.txt").string(), error), text_read::read);

    EXPECT_EQ(read_text_file((dir / "typo.txt").string(), 1 << 20, text, error), text_read::missing);
    EXPECT_EQ(error, "cannot be read: No such file or directory");
    EXPECT_EQ(read_text_file((dir / "a.txt").string(), 65536, text, error), text_read::refused);
    EXPECT_EQ(error, "is larger than 64 KiB");
    EXPECT_TRUE(text.empty());
    fs::remove_all(dir);
}

TEST(TextFile, AFolderAPipeOrADeviceIsRefusedWithoutWaiting)
{
    const fs::path dir = fs::temp_directory_path() / ("text_file_fifo_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    std::string text, error;
    // A FIFO without a writer would block an ordinary open for ever.
    EXPECT_EQ(read_text_file((dir / "fifo").string(), 1 << 20, text, error), text_read::refused);
    EXPECT_EQ(error, "is not a plain file (a pipe or a device)");
    EXPECT_EQ(check_text_file((dir / "fifo").string(), error), text_read::refused);
    // /dev/zero never ends: refused before a byte is read.
    EXPECT_EQ(read_text_file("/dev/zero", 1 << 20, text, error), text_read::refused);
    EXPECT_EQ(error, "is not a plain file (a pipe or a device)");
    EXPECT_EQ(read_text_file(dir.string(), 1 << 20, text, error), text_read::refused);
    EXPECT_EQ(error, "is a folder, not a file");
    fs::remove_all(dir);
}

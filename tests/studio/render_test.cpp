// The studio's render as a child process, with a stand-in for the capture
// tool that reports what it was given: the timeline it is handed, progress
// read from its frame-times file, its exit, and a stop that waits for it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "tools/studio/render.h"

namespace {
std::string read_file(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// A program at DIR/NAME running `body` after reading the capture's options.
std::string stand_in(const std::string& name, const std::string& body)
{
    const std::string path = testing::TempDir() + name;
    std::ofstream(path) << "#!/bin/sh\n"
                           "while [ $# -gt 0 ]; do case $1 in -o) out=$2;; --timeline) tl=$2;; --frame-times) ft=$2;;\n"
                           "  --from) from=$2;; --to) to=$2;; esac; shift; done\n"
                           "cp \"$tl\" \"$out.timeline\"; echo \"$tl $ft $from $to\" >\"$out.args\"\n"
                        << body;
    chmod(path.c_str(), 0755);
    return path;
}

const render_job& wait_for_render()
{
    for (int k = 0; k < 200 && poll_render().running; ++k)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return poll_render();
}
}

TEST(StudioRender, HandsTheTimelineOverAndFollowsTheFrames)
{
    const std::string capture = stand_in("two_frames", "printf 'row\\tentry\\tms\\n100\\t3\\t5\\n100.1\\t3\\t5\\n' >\"$ft\"\n"
                                                       "exit 3\n");
    const std::string out = testing::TempDir() + "keys.mp4", file = testing::TempDir() + "file.timeline";
    std::ofstream(file) << "the file's text\n";
    std::string error;
    // A linked editor's keys go over as a text of their own...
    ASSERT_TRUE(start_render(capture, "shaders", file, "the editor's keys\n", "Music", out, 100, 132, error)) << error;
    EXPECT_TRUE(poll_render().running);
    EXPECT_EQ(poll_render().frames, 240);
    const render_job& done = wait_for_render();
    EXPECT_FALSE(done.running);
    EXPECT_EQ(done.exit_code, 3);
    EXPECT_EQ(done.done, 2) << "two frames under the header";
    EXPECT_EQ(done.path, out);
    EXPECT_EQ(read_file(out + ".timeline"), "the editor's keys\n");
    std::istringstream args(read_file(out + ".args"));
    std::string handed, times, from, to;
    args >> handed >> times >> from >> to;
    EXPECT_FALSE(exists(handed)) << "the keys' file is removed after the render";
    EXPECT_FALSE(exists(times)) << "the frame-times file is removed after the render";
    EXPECT_EQ(from, "100");
    EXPECT_EQ(to, "132") << "the loop's end itself: the capture's range holds its start and not its end";

    // ...else the file itself.
    ASSERT_TRUE(start_render(capture, "shaders", file, "", "Music", out, 100, 132, error)) << error;
    wait_for_render();
    EXPECT_EQ(read_file(out + ".timeline"), "the file's text\n");
    EXPECT_EQ(read_file(out + ".args").substr(0, file.size()), file);
}

TEST(StudioRender, StopInterruptsAndWaitsForTheCapture)
{
    const std::string capture =
        stand_in("until_interrupted", "trap 'echo closed >\"$out\"; exit 130' INT\nwhile :; do sleep 0.05; done\n");
    const std::string out = testing::TempDir() + "stopped.mp4";
    std::string error;
    ASSERT_TRUE(start_render(capture, "shaders", capture, "", "Music", out, 0, 8, error)) << error;
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // past the trap
    stop_render();
    EXPECT_FALSE(poll_render().running);
    EXPECT_EQ(poll_render().exit_code, 130);
    EXPECT_EQ(read_file(out), "closed\n") << "the capture had its chance to close the file";
    stop_render(); // nothing left to stop
}

TEST(StudioRender, RefusesWhatCannotRun)
{
    std::string error;
    EXPECT_FALSE(start_render(testing::TempDir() + "no_such_program", "s", "t", "", "Music", "x.mp4", 0, 8, error));
    EXPECT_NE(error.find("cannot start"), std::string::npos) << error;
    EXPECT_FALSE(poll_render().running);
    EXPECT_FALSE(start_render("/bin/true", "s", "t", "", "Music", "x.mp4", 8, 8, error));
    EXPECT_NE(error.find("empty"), std::string::npos) << error;
}

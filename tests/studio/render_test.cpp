// The studio's render as a child process, with a stand-in for the capture
// tool that reports what it was given: the timeline it is handed, progress
// read from its frame-times file, its exit, and a stop that waits for it.
// The video is written under a temporary name and only a whole one, or a
// stopped one named for what it holds, takes a render's name.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
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

// TEMP/NAME-PID: CTest runs each test as a process of its own, side by side.
std::string own(const std::string& name) { return testing::TempDir() + name + "-" + std::to_string(getpid()); }

// A program at own(NAME) running `body` after reading the capture's options;
// what it was handed goes to own("handed.timeline") and own("args").
std::string stand_in(const std::string& name, const std::string& body)
{
    const std::string path = own(name);
    std::ofstream(path) << "#!/bin/sh\n"
                           "while [ $# -gt 0 ]; do case $1 in -o) out=$2;; --timeline) tl=$2;; --frame-times) ft=$2;;\n"
                           "  --from) from=$2;; --to) to=$2;; esac; shift; done\n"
                           "cp \"$tl\" " + own("handed.timeline") + "; echo \"$tl $ft $from $to $out\" >" + own("args") +
                               "\n"
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

// A folder of its own for the renders, empty.
std::string render_folder(const char* name)
{
    const std::string dir = own(std::string(name) + ".renders");
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

int files_in(const std::string& dir)
{
    int n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir))
        ++n;
    return n;
}
}

TEST(StudioRender, HandsTheTimelineOverAndFollowsTheFrames)
{
    const std::string capture =
        stand_in("two_frames", "printf 'row\\tentry\\tms\\n100\\t3\\t5\\n100.1\\t3\\t5\\n' >\"$ft\"\n"
                               "echo 'swipemix-capture: could not write it (No space left on device)' >&2\n"
                               ": >\"$out\"; exit 3\n");
    const std::string dir = render_folder("keys"), file = own("file.timeline");
    std::ofstream(file) << "the file's text\n";
    std::string error;
    // A linked editor's keys go over as a text of their own...
    ASSERT_TRUE(start_render(capture, "shaders", file, "the editor's keys\n", "Music", dir, 100, 132, error)) << error;
    EXPECT_TRUE(poll_render().running);
    EXPECT_EQ(poll_render().frames, 240);
    EXPECT_EQ(poll_render().path, dir + "/swipemix-rows0100.00-0132.00.mp4");
    const render_job& done = wait_for_render();
    EXPECT_FALSE(done.running);
    EXPECT_EQ(done.exit_code, 3);
    EXPECT_EQ(done.done, 2) << "two frames under the header";
    EXPECT_FALSE(done.kept);
    EXPECT_EQ(done.error, "swipemix-capture: could not write it (No space left on device)") << "why, in one line";
    EXPECT_EQ(files_in(dir), 0) << "a failed render leaves no file, empty or not";
    EXPECT_EQ(read_file(own("handed.timeline")), "the editor's keys\n");
    std::istringstream args(read_file(own("args")));
    std::string handed, times, from, to, out;
    args >> handed >> times >> from >> to >> out;
    EXPECT_FALSE(exists(handed)) << "the keys' file is removed after the render";
    EXPECT_FALSE(exists(times)) << "the frame-times file is removed after the render";
    EXPECT_EQ(from, "100");
    EXPECT_EQ(to, "132") << "the loop's end itself: the capture's range holds its start and not its end";
    EXPECT_EQ(out.find(dir + "/.swipemix-rows0100.00-0132.00-"), 0u) << "written beside, under another name: " << out;

    // ...else the file itself.
    ASSERT_TRUE(start_render(capture, "shaders", file, "", "Music", dir, 100, 132, error)) << error;
    wait_for_render();
    EXPECT_EQ(read_file(own("handed.timeline")), "the file's text\n");
    EXPECT_EQ(read_file(own("args")).substr(0, file.size()), file);
}

TEST(StudioRender, AWholeRenderNeverReplacesAnEarlierOne)
{
    const std::string capture = stand_in("whole", "echo \"$from\" >\"$out\"\n");
    const std::string dir = render_folder("whole");
    std::string error;
    for (const char* name : {"swipemix-rows0008.00-0016.00.mp4", "swipemix-rows0008.00-0016.00-2.mp4"}) {
        ASSERT_TRUE(start_render(capture, "shaders", capture, "", "Music", dir, 8, 16, error)) << error;
        const render_job& done = wait_for_render();
        EXPECT_TRUE(done.kept) << done.error;
        EXPECT_EQ(done.path, dir + "/" + name);
        EXPECT_EQ(read_file(done.path), "8\n");
    }
    EXPECT_EQ(files_in(dir), 2);
}

TEST(StudioRender, StopInterruptsAndNamesWhatTheVideoHolds)
{
    // Three frames drawn, then it waits to be stopped, and closes the file.
    const std::string capture = stand_in(
        "until_interrupted", "trap 'echo closed >\"$out\"; exit 130' INT\n"
                             "printf 'row\\tentry\\tms\\n0\\t0\\t5\\n0.133\\t0\\t5\\n0.267\\t0\\t5\\n' >\"$ft\"\n"
                             "while :; do sleep 0.05; done\n");
    const std::string dir = render_folder("stopped");
    std::string error;
    ASSERT_TRUE(start_render(capture, "shaders", capture, "", "Music", dir, 0, 8, error)) << error;
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // past the trap
    stop_render();
    const render_job& done = poll_render();
    EXPECT_FALSE(done.running);
    EXPECT_EQ(done.exit_code, 130);
    EXPECT_TRUE(done.kept) << done.error;
    EXPECT_EQ(done.done, 3);
    EXPECT_EQ(done.path, dir + "/swipemix-rows0000.00-0000.40.mp4") << "rows [0, 0.4): three frames at 60 fps";
    EXPECT_EQ(read_file(done.path), "closed\n") << "the capture had its chance to close the file";
    EXPECT_EQ(files_in(dir), 1);
    stop_render(); // nothing left to stop

    // Stopped before its first frame: nothing is kept.
    const std::string early = stand_in("early", "trap 'exit 130' INT\nwhile :; do sleep 0.05; done\n");
    ASSERT_TRUE(start_render(early, "shaders", early, "", "Music", dir, 0, 8, error)) << error;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    stop_render();
    EXPECT_FALSE(poll_render().kept);
    EXPECT_EQ(poll_render().error, "stopped before its first frame");
    EXPECT_EQ(files_in(dir), 1);
}

TEST(StudioRender, RefusesWhatCannotRun)
{
    std::string error;
    const std::string dir = render_folder("refused");
    EXPECT_FALSE(start_render(testing::TempDir() + "no_such_program", "s", "t", "", "Music", dir, 0, 8, error));
    EXPECT_NE(error.find("cannot start"), std::string::npos) << error;
    EXPECT_FALSE(poll_render().running);
    EXPECT_FALSE(start_render("/bin/true", "s", "t", "", "Music", dir, 8, 8, error));
    EXPECT_NE(error.find("empty"), std::string::npos) << error;
    EXPECT_FALSE(start_render("/bin/true", "s", "t", "", "Music", dir + "/none", 0, 8, error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
    EXPECT_EQ(files_in(dir), 0);
}

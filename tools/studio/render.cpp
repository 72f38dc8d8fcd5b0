#include "tools/studio/render.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "tools/studio/place_file.h"
#include "tools/studio/transport.h"

extern char** environ;

namespace {
render_job job;
pid_t child = -1;
bool stopping;              // the render was asked to stop
int times_fd = -1;          // the child's frame-times file, read as it grows
long long times_lines = 0;  // its header line, then one a frame
std::string times_path;
std::string text_path;      // the timeline text handed over, if any
std::string messages_path;  // the child's stderr
std::string written;        // the video, under a temporary name until it is whole
std::string folder;
double first_row;

// A file of its own under /tmp; -1, with `error`, when none can be made.
int temporary_file(std::string& path, std::string& error)
{
    char name[] = "/tmp/swipemix-render-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0)
        error = std::string("cannot make a file under /tmp: ") + std::strerror(errno);
    path = fd < 0 ? "" : name;
    return fd;
}

void remove_files()
{
    for (std::string* path : {&times_path, &text_path, &messages_path, &written})
        if (!path->empty())
            unlink(path->c_str()), path->clear();
}

void read_times()
{
    char chunk[4096];
    for (ssize_t n; (n = read(times_fd, chunk, sizeof chunk)) > 0;)
        times_lines += std::count(chunk, chunk + n, '\n');
    job.done = std::max(times_lines - 1, 0LL);
}

// The child's last line, to say why it failed; its whole say goes to our stderr.
std::string last_message()
{
    FILE* file = std::fopen(messages_path.c_str(), "r");
    std::string last;
    char line[1024];
    while (file && std::fgets(line, sizeof line, file)) {
        std::fputs(line, stderr);
        std::string text = line;
        text.erase(0, text.find_last_of('\r') + 1); // a progress line's earlier states
        while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
            text.pop_back();
        if (!text.empty())
            last = text;
    }
    if (file)
        std::fclose(file);
    return last;
}

void finish(int status)
{
    child = -1;
    job.running = false;
    job.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    read_times();
    close(times_fd);
    times_fd = -1;
    // A stopped render holds the frames drawn so far: it is named for those rows.
    const bool stopped = job.exit_code != 0 && stopping && job.done > 0 && WIFEXITED(status);
    if (stopped)
        job.path = render_path(folder, first_row, frame_row(frame_rate{}, first_row, job.done));
    if (job.exit_code == 0 || stopped) {
        const std::string placed = place_file(written, job.path, job.error);
        written.clear();
        job.kept = !placed.empty();
        job.path = job.kept ? placed : job.path;
    } else {
        job.error = last_message();
        if (job.error.empty())
            job.error = stopping ? "stopped before its first frame" : "the capture said nothing";
    }
    stopping = false;
    remove_files();
}
}

void render_rows(double row, double loop_start, double loop_end, const show_map& map, double& from, double& to)
{
    if (loop_end > loop_start) {
        from = loop_start, to = loop_end;
        return;
    }
    const int here = std::clamp(int(row), 0, mapped_rows - 1), e = map.track[here];
    int first = here, end = here + 1;
    while (first > 0 && map.track[first - 1] == e)
        --first;
    while (end < mapped_rows && map.track[end] == e)
        ++end;
    from = first, to = std::min(end, show_end_row);
}

std::string render_path(const std::string& dir, double from, double to)
{
    char name[64];
    std::snprintf(name, sizeof name, "swipemix-rows%07.2f-%07.2f.mp4", from, to);
    return dir.empty() || dir == "." ? name : dir + (dir.back() == '/' ? "" : "/") + name;
}

bool start_render(const std::string& capture, const std::string& shader_dir, const std::string& timeline,
                  const std::string& timeline_text, const std::string& music, const std::string& dir, double from,
                  double to, std::string& error)
{
    const frame_rate rate; // the capture's own default
    const long long frames = frames_between(rate, from, to); // the capture's range holds its start, not its end
    if (frames <= 0) {
        error = "nothing to render: the range is empty";
        return false;
    }
    const std::string path = render_path(dir, from, to);
    written = temporary_beside(path, error);
    int fd = -1, messages = -1;
    if (written.empty() || (fd = temporary_file(times_path, error)) < 0 ||
        (messages = temporary_file(messages_path, error)) < 0) {
        if (fd >= 0)
            close(fd);
        remove_files();
        return false;
    }
    std::string timeline_file = timeline;
    if (!timeline_text.empty()) {
        const int text_fd = temporary_file(text_path, error);
        const bool text_written = text_fd >= 0 && write(text_fd, timeline_text.data(), timeline_text.size()) ==
                                                      ssize_t(timeline_text.size());
        if (text_fd >= 0)
            close(text_fd);
        if (!text_written) {
            close(fd), close(messages);
            remove_files();
            if (error.empty())
                error = "cannot write the editor's keys under /tmp";
            return false;
        }
        timeline_file = text_path;
    }
    char from_text[32], to_text[32];
    std::snprintf(from_text, sizeof from_text, "%.17g", from);
    std::snprintf(to_text, sizeof to_text, "%.17g", to); // printed exactly, read back exactly
    const std::string args[] = {capture,    "-o",           written,    "--force",    "--from",  from_text,
                                "--to",     to_text,        "--column", "--shader-dir", shader_dir, "--timeline",
                                timeline_file, "--music",   music,      "--frame-times", times_path};
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, messages, 2);
    pid_t pid;
    const int failed = posix_spawn(&pid, capture.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(messages);
    if (failed) {
        close(fd);
        remove_files();
        error = "cannot start " + capture + ": " + std::strerror(failed);
        return false;
    }
    child = pid, times_fd = fd, times_lines = 0, folder = dir, first_row = from, stopping = false;
    job = {path, frames, 0, true, 0, false, ""};
    return true;
}

const render_job& poll_render()
{
    if (child < 0)
        return job;
    read_times();
    int status;
    if (waitpid(child, &status, WNOHANG) == child)
        finish(status);
    return job;
}

void stop_render()
{
    if (child < 0)
        return;
    stopping = true;
    kill(child, SIGINT);
    // The capture closes the video on SIGINT; one that hangs is not waited for forever.
    for (int waited = 0; waited < 300; ++waited) {
        int status;
        if (waitpid(child, &status, WNOHANG) == child) {
            finish(status);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(child, SIGKILL);
    int status;
    waitpid(child, &status, 0);
    finish(status);
}

std::string render_outcome(const render_job& job)
{
    if (!job.kept)
        return "the render of " + job.path + " failed: " + job.error;
    if (job.exit_code == 0)
        return "rendered " + job.path;
    return "stopped: " + job.path + " holds the " + std::to_string(job.done) + " frames rendered";
}

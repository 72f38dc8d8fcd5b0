#include "tools/capture/capture_video.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/capture/capture_parts.h"
#include "tools/capture/capture_stop.h"
#include "tools/capture/capture_yuv.h"

namespace {
using clock_type = std::chrono::steady_clock;
// How long a stopped capture waits for ffmpeg to finish the file: long enough
// for a loaded machine, short enough that an ffmpeg which stopped reading
// keeps no stop waiting.
constexpr int finish_seconds = 8;

int video_pipe = -1;
int messages = -1; // what ffmpeg says, kept in memory to be judged at the end
pid_t encoder = -1;
size_t frame_bytes;
std::string output;

// The pipe is non-blocking, so that no wait on it outlasts a stop signal by much.
bool write_all(int fd, const unsigned char* data, size_t bytes)
{
    auto give_up = clock_type::time_point::max();
    while (bytes) {
        const ssize_t n = write(fd, data, bytes);
        if (n > 0) {
            data += n;
            bytes -= size_t(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (stop_signal() && give_up == clock_type::time_point::max())
            give_up = clock_type::now() + std::chrono::milliseconds(500);
        if (clock_type::now() > give_up)
            return false;
        pollfd ready = {fd, POLLOUT, 0};
        poll(&ready, 1, 100);
    }
    return true;
}

bool ffmpeg_installed()
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    for (size_t start = 0; start <= dirs.size();) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        if (access((dirs.substr(start, end - start) + "/ffmpeg").c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

// The last line ffmpeg wrote, without its "[muxer @ 0x...] " tag; empty when it said nothing.
std::string last_message()
{
    char text[4096];
    const off_t size = lseek(messages, 0, SEEK_END);
    const off_t from = std::max<off_t>(0, size - off_t(sizeof text - 1));
    const ssize_t n = pread(messages, text, sizeof text - 1, from);
    std::string said(text, size_t(std::max<ssize_t>(n, 0)));
    while (!said.empty() && (said.back() == '\n' || said.back() == '\r' || said.back() == ' '))
        said.pop_back();
    said = said.substr(said.find_last_of("\r\n") + 1);
    if (said.size() > 1 && said[0] == '[' && said.find("] ") != std::string::npos)
        said = said.substr(said.find("] ") + 2);
    return said;
}

// "8 KB of it were written", or that there is no file at all.
std::string what_is_left()
{
    struct stat st;
    if (stat(output.c_str(), &st) != 0)
        return "no file was left";
    if (st.st_size < 10240)
        return std::to_string(st.st_size) + " bytes of it were written";
    if (st.st_size < 10240 * 1024)
        return std::to_string(st.st_size / 1024) + " KB of it were written";
    return std::to_string(st.st_size / (1024 * 1024)) + " MB of it were written";
}
}

bool open_video(const char* path, int width, int height, const frame_rate& rate, int sound, const std::string& tag)
{
    if (!ffmpeg_installed()) {
        std::fprintf(stderr, "swipemix-capture: the ffmpeg command is needed to write video; install the Debian package "
                             "ffmpeg (apt-get install ffmpeg)\n");
        return false;
    }
    int video[2];
    messages = memfd_create("ffmpeg-messages", MFD_CLOEXEC);
    if (messages < 0 || pipe2(video, O_CLOEXEC) != 0) {
        std::fprintf(stderr, "swipemix-capture: cannot start ffmpeg: %s\n", std::strerror(errno));
        return false;
    }
    output = path;
    // The pictures are described in full, so ffmpeg must not wait to probe
    // them. The pictures come converted and are tagged as they are;
    // faststart puts the index in front, so a player can start before the end.
    std::vector<std::string> args = {"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-probesize", "32",
                                     "-analyzeduration", "0", "-thread_queue_size", "64"};
    const auto add = [&](std::initializer_list<std::string> more) { args.insert(args.end(), more); };
    if (width > 0)
        add({"-f", "rawvideo", "-pix_fmt", "yuv420p", "-video_size",
             std::to_string(even(width)) + "x" + std::to_string(even(height)), "-framerate",
             std::to_string(rate.num) + "/" + std::to_string(rate.den), "-i", "pipe:0"});
    if (sound >= 0)
        add({"-f", "s16le", "-ar", "44100", "-ac", "2", "-i", "pipe:3"});
    if (width > 0)
        add({"-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-profile:v", "high", "-g",
             std::to_string(keyframe_interval(rate)), "-pix_fmt", "yuv420p", "-color_primaries", "bt709", "-color_trc",
             "bt709", "-colorspace", "bt709", "-color_range", "tv"});
    if (sound >= 0 && width > 0)
        add({"-c:a", "aac", "-b:a", "192k", "-ac", "2", "-movflags", "+faststart", "-shortest"});
    else if (width > 0)
        add({"-movflags", "+faststart"});
    if (!tag.empty())
        add({"-metadata", "comment=" + tag});
    args.push_back(path);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    encoder = fork();
    if (encoder == 0) {
        // Its own process group: Ctrl-C reaches only the capture tool, which
        // then ends the frames so ffmpeg can finish a playable file.
        setpgid(0, 0);
        dup2(video[0], 0);
        if (sound >= 0) {
            dup2(sound, 3);
            fcntl(3, F_SETFD, 0); // dup2 onto itself keeps close-on-exec
            lseek(3, 0, SEEK_SET);
        }
        dup2(messages, 2);
        execvp("ffmpeg", argv.data());
        _exit(127);
    }
    close(video[0]);
    if (encoder < 0) {
        std::fprintf(stderr, "swipemix-capture: cannot start ffmpeg: %s\n", std::strerror(errno));
        close(video[1]);
        return false;
    }
    video_pipe = video[1];
    fcntl(video_pipe, F_SETFL, O_NONBLOCK);
    signal(SIGPIPE, SIG_IGN);
    frame_bytes = yuv420_bytes(width, height);
    return true;
}

bool write_video_frame(const unsigned char* yuv) { return write_all(video_pipe, yuv, frame_bytes); }

bool close_video()
{
    close(video_pipe);
    int status = 0;
    auto give_up = clock_type::time_point::max();
    while (waitpid(encoder, &status, WNOHANG) == 0) {
        if (stop_signal() && give_up == clock_type::time_point::max())
            give_up = clock_type::now() + std::chrono::seconds(finish_seconds);
        if (clock_type::now() > give_up) {
            kill(-encoder, SIGKILL);
            waitpid(encoder, &status, 0);
            break;
        }
        usleep(10000);
    }
    const std::string said = last_message();
    close(messages);
    std::string why;
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL && give_up != clock_type::time_point::max())
        why = "ffmpeg did not finish within " + std::to_string(finish_seconds) + " s of the stop";
    else if (WIFSIGNALED(status))
        why = std::string("ffmpeg was killed by ") + strsignal(WTERMSIG(status));
    else if (WEXITSTATUS(status) == 127)
        why = "ffmpeg could not be run";
    else if (!said.empty())
        why = "ffmpeg: " + said; // ffmpeg says only what went wrong, and may still exit 0
    else if (WEXITSTATUS(status) != 0)
        why = "ffmpeg ended with exit status " + std::to_string(WEXITSTATUS(status));
    else {
        struct stat st;
        if (stat(output.c_str(), &st) != 0 || st.st_size == 0)
            why = "ffmpeg left no video";
    }
    if (why.empty())
        return true;
    std::fprintf(stderr, "swipemix-capture: could not write %s (%s); %s\n", output.c_str(), why.c_str(),
                 what_is_left().c_str());
    return false;
}

#include "tools/capture_video.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/capture_yuv.h"

namespace {
int video_pipe = -1, sound_pipe = -1;
pid_t encoder = -1;
size_t frame_bytes;

bool write_all(int fd, const unsigned char* data, size_t bytes)
{
    while (bytes) {
        const ssize_t n = write(fd, data, bytes);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        bytes -= size_t(n);
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
}

bool open_video(const char* path, int width, int height, const frame_rate& rate)
{
    if (!ffmpeg_installed()) {
        std::fprintf(stderr, "swipemix-capture: the ffmpeg command is needed to write video; install the Debian package "
                             "ffmpeg (apt-get install ffmpeg)\n");
        return false;
    }
    int video[2], sound[2];
    if (pipe(video) != 0 || pipe(sound) != 0)
        return false;
    const std::string size = std::to_string(even(width)) + "x" + std::to_string(even(height));
    const std::string fps = std::to_string(rate.num) + "/" + std::to_string(rate.den);
    // A keyframe every second, so players can seek.
    const std::string keyframes = std::to_string(std::max(1LL, (rate.num + rate.den / 2) / rate.den));
    encoder = fork();
    if (encoder == 0) {
        // Its own process group: Ctrl-C reaches only the capture tool, which
        // then closes the pipes so ffmpeg can finish a playable file.
        setpgid(0, 0);
        dup2(video[0], 0);
        dup2(sound[0], 3);
        for (int fd : {video[0], video[1], sound[0], sound[1]})
            if (fd != 3)
                close(fd);
        // Both inputs are described in full, so ffmpeg must not wait to probe
        // them: it opens them one after the other while this tool feeds them
        // frame by frame.
        // The pictures come converted and are tagged as they are; faststart
        // puts the index in front, so a player can start before the end.
        execlp("ffmpeg", "ffmpeg", "-loglevel", "error", "-y", "-probesize", "32", "-analyzeduration", "0",
               "-thread_queue_size", "64", "-f", "rawvideo", "-pix_fmt", "yuv420p", "-video_size", size.c_str(),
               "-framerate", fps.c_str(), "-i", "pipe:0", "-probesize", "32", "-analyzeduration", "0",
               "-thread_queue_size", "64", "-f", "s16le", "-ar", "44100", "-ac", "2", "-i", "pipe:3", "-c:v", "libx264",
               "-preset", "veryfast", "-crf", "18", "-profile:v", "high", "-g", keyframes.c_str(), "-pix_fmt", "yuv420p",
               "-color_primaries", "bt709", "-color_trc", "bt709", "-colorspace", "bt709", "-color_range", "tv",
               "-c:a", "aac", "-b:a", "192k", "-ac", "2", "-movflags", "+faststart", "-shortest", path, (char*)nullptr);
        _exit(127);
    }
    close(video[0]);
    close(sound[0]);
    if (encoder < 0) {
        close(video[1]);
        close(sound[1]);
        return false;
    }
    video_pipe = video[1];
    sound_pipe = sound[1];
    // Room for several frames of sound, so neither stream waits on the other.
    fcntl(sound_pipe, F_SETPIPE_SZ, 1 << 20);
    signal(SIGPIPE, SIG_IGN);
    frame_bytes = yuv420_bytes(width, height);
    return true;
}

bool write_video_frame(const unsigned char* yuv, const unsigned char* sound, unsigned sound_bytes)
{
    return write_all(sound_pipe, sound, sound_bytes) && write_all(video_pipe, yuv, frame_bytes);
}

bool close_video()
{
    close(video_pipe);
    close(sound_pipe);
    int status = 0;
    while (waitpid(encoder, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "swipemix-capture: ffmpeg could not write the video (exit status %d)\n",
                     WIFEXITED(status) ? WEXITSTATUS(status) : -1);
        return false;
    }
    return true;
}

#include "tools/capture/capture_join.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/capture/capture_parts.h"

namespace {
// Runs `args` with its standard output kept in `out` and its messages in
// `said`; its exit status, or -1 when it could not be run.
int run_tool(std::vector<std::string> args, std::string& out, std::string& said)
{
    int pipes[2][2];
    if (pipe(pipes[0]) != 0 || pipe(pipes[1]) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipes[0][1], 1);
        dup2(pipes[1][1], 2);
        for (auto& p : pipes)
            close(p[0]), close(p[1]);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(pipes[0][1]);
    close(pipes[1][1]);
    // Messages are few: read the output whole, then them.
    char piece[4096];
    for (auto [fd, text] : {std::pair{pipes[0][0], &out}, std::pair{pipes[1][0], &said}}) {
        ssize_t n;
        while ((n = read(fd, piece, sizeof piece)) > 0 || (n < 0 && errno == EINTR))
            text->append(piece, size_t(std::max<ssize_t>(n, 0)));
        close(fd);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) < 0)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The value after `key=` on a line of ffprobe's output; empty without one.
std::string probed(const std::string& out, const std::string& key)
{
    const size_t at = out.find(key + "=");
    if (at == std::string::npos)
        return "";
    const size_t start = at + key.size() + 1;
    return out.substr(start, out.find('\n', start) - start);
}

// A file's comment and picture count; false, after a line, when it is not there.
bool probe(const char* path, join_input& in)
{
    in.path = path;
    struct stat s;
    const bool found = stat(path, &s) == 0;
    if (!found || !S_ISREG(s.st_mode)) {
        std::fprintf(stderr, "swipemix-capture: %s: %s\n", path,
                     !found ? std::strerror(errno) : S_ISDIR(s.st_mode) ? "is a folder" : "is not a plain file");
        return false;
    }
    std::string out, said;
    if (run_tool({"ffprobe", "-v", "error", "-count_packets", "-show_entries", "stream=codec_type,nb_read_packets:format_tags=comment",
                  "-of", "default=nw=1", path},
                 out, said) == -1) {
        std::fprintf(stderr, "swipemix-capture: ffprobe could not be run; install the Debian package ffmpeg\n");
        return false;
    }
    in.tag = probed(out, "TAG:comment");
    const size_t video = out.find("codec_type=video");
    if (video != std::string::npos)
        in.frames = std::atol(probed(out.substr(video), "nb_read_packets").c_str());
    return true;
}

// A line of ffmpeg's concat list: the path quoted, its quotes escaped.
std::string list_line(const char* path)
{
    std::string line = "file '";
    for (const char* c = path; *c; ++c)
        line += *c == '\'' ? std::string("'\\''") : std::string(1, *c);
    return line + "'\n";
}
}

int join_parts(const std::vector<const char*>& parts, const char* sound, const char* output)
{
    std::vector<join_input> found(parts.size());
    join_input soundtrack;
    for (size_t i = 0; i < parts.size(); ++i)
        if (!probe(parts[i], found[i]))
            return 1;
    if (!probe(sound, soundtrack))
        return 1;
    const std::string problem = check_join(found, soundtrack);
    if (!problem.empty()) {
        std::fprintf(stderr, "swipemix-capture: nothing joined: %s\n", problem.c_str());
        return 1;
    }
    const std::string list = std::string(output) + ".parts.txt", partial = std::string(output) + ".partial";
    FILE* file = std::fopen(list.c_str(), "w");
    bool listed = file != nullptr;
    // The list lies beside the output, and ffmpeg reads its paths from there.
    for (size_t i = 0; listed && i < parts.size(); ++i) {
        char* whole = realpath(parts[i], nullptr);
        listed = whole && std::fputs(list_line(whole).c_str(), file) >= 0;
        std::free(whole);
    }
    if (file)
        listed = std::fclose(file) == 0 && listed;
    if (!listed) {
        std::fprintf(stderr, "swipemix-capture: cannot write %s: %s\n", list.c_str(), std::strerror(errno));
        unlink(list.c_str());
        return 1;
    }
    // The sound is encoded as a single render encodes it, so it decodes to
    // the same samples; the parts' comments stay behind.
    const size_t n = std::strlen(output);
    const char* format = !std::strcmp(output + n - 4, ".mkv") ? "matroska" : "mp4";
    std::string out, said;
    const int status = run_tool({"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "concat", "-safe", "0", "-i", list,
                                 "-i", sound, "-map", "0:v", "-map", "1:a", "-map_metadata", "-1", "-c:v", "copy",
                                 "-c:a", "aac", "-b:a", "192k", "-ac", "2", "-movflags", "+faststart", "-shortest", "-f",
                                 format, partial},
                                out, said);
    unlink(list.c_str());
    if (status != 0 || !said.empty()) {
        while (!said.empty() && said.back() == '\n')
            said.pop_back();
        std::fprintf(stderr, "swipemix-capture: could not join into %s (%s)\n", output,
                     status == -1 || status == 127 ? "ffmpeg could not be run"
                     : said.empty()                ? ("ffmpeg ended with exit status " + std::to_string(status)).c_str()
                                                   : ("ffmpeg: " + said.substr(said.find_last_of('\n') + 1)).c_str());
        unlink(partial.c_str());
        return 1;
    }
    if (rename(partial.c_str(), output) != 0) {
        std::fprintf(stderr, "swipemix-capture: cannot write %s: %s\n", output, std::strerror(errno));
        unlink(partial.c_str());
        return 1;
    }
    return 0;
}

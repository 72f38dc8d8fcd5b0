#include "tools/common/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {
std::string size_text(size_t bytes)
{
    return bytes >= 1 << 20 ? std::to_string(bytes >> 20) + " MiB" : std::to_string(bytes >> 10) + " KiB";
}

// The file opened for reading, or -1 with `error` and `outcome` set.
int open_text_file(const std::string& path, text_read& outcome, std::string& error)
{
    // Non-blocking, so that a FIFO with no writer is refused below instead of waited on.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = std::string("cannot be read: ") + std::strerror(errno);
        outcome = errno == ENOENT ? text_read::missing : text_read::refused;
        return -1;
    }
    struct stat about {};
    if (::fstat(fd, &about) != 0 || !S_ISREG(about.st_mode)) {
        error = S_ISDIR(about.st_mode) ? "is a folder, not a file" : "is not a plain file (a pipe or a device)";
        outcome = text_read::refused;
        ::close(fd);
        return -1;
    }
    outcome = text_read::read;
    return fd;
}
}

text_read check_text_file(const std::string& path, std::string& error)
{
    text_read outcome;
    const int fd = open_text_file(path, outcome, error);
    if (fd >= 0)
        ::close(fd);
    return outcome;
}

text_read read_text_file(const std::string& path, size_t largest, std::string& text, std::string& error)
{
    text.clear();
    text_read outcome;
    const int fd = open_text_file(path, outcome, error);
    if (fd < 0)
        return outcome;
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = std::string("cannot be read: ") + std::strerror(errno);
            break;
        }
        if (n == 0) {
            ::close(fd);
            return text_read::read;
        }
        if (text.size() + size_t(n) > largest) {
            error = "is larger than " + size_text(largest);
            break;
        }
        text.append(chunk, size_t(n));
    }
    ::close(fd);
    text.clear();
    return text_read::refused;
}

#include "tools/studio/place_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {
constexpr int most_tries = 1000;

// Where the folder ends and where the extension begins in `path`.
void split(const std::string& path, size_t& name, size_t& extension)
{
    const size_t slash = path.rfind('/');
    name = slash == std::string::npos ? 0 : slash + 1;
    extension = path.rfind('.');
    if (extension == std::string::npos || extension <= name)
        extension = path.size();
}
}

std::string temporary_beside(const std::string& wanted, std::string& error)
{
    size_t name, extension;
    split(wanted, name, extension);
    std::string path = wanted.substr(0, name) + "." + wanted.substr(name, extension - name) + "-XXXXXX" +
                       wanted.substr(extension);
    const int fd = mkstemps(path.data(), int(wanted.size() - extension));
    if (fd < 0) {
        error = "cannot write in " + (name ? wanted.substr(0, name) : std::string("the current folder")) + ": " +
                std::strerror(errno);
        return "";
    }
    close(fd);
    return path;
}

std::string place_file(const std::string& written, const std::string& wanted, std::string& error)
{
    size_t name, extension;
    split(wanted, name, extension);
    for (int n = 1; n <= most_tries; ++n) {
        const std::string path =
            n == 1 ? wanted : wanted.substr(0, extension) + "-" + std::to_string(n) + wanted.substr(extension);
        if (renameat2(AT_FDCWD, written.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
            return path;
        // A file system without the flag: a new link is refused over a taken name as well.
        if (errno == EINVAL && link(written.c_str(), path.c_str()) == 0) {
            unlink(written.c_str());
            return path;
        }
        if (errno != EEXIST) {
            error = "cannot name it " + path + ": " + std::strerror(errno);
            break;
        }
    }
    if (error.empty())
        error = "every name up to " + wanted.substr(0, extension) + "-" + std::to_string(most_tries) +
                wanted.substr(extension) + " is taken";
    unlink(written.c_str());
    return "";
}

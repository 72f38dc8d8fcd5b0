#include "tools/rocket/rocket_save.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>

namespace {
// Why a key cannot be written, or null when it can.
const char* refusal(uint32_t row, const rocket_key& key, uint8_t scale)
{
    if (!std::isfinite(key.value))
        return "not a finite value";
    if (row > uint32_t(show_end_row))
        return "past the show's end";
    const double raw = std::fabs(double(key.value)) / std::ldexp(1.0, scale - 10);
    if (raw > 32767.5)
        return "beyond the track's range";
    return nullptr;
}

// The keys to write: the refused ones left out and listed, the file's own key kept at their rows.
rocket_source savable(const rocket_source& keys, const timeline_source& before, std::string& refused, int& count)
{
    const rocket_source file = rocket_from_source(before);
    rocket_source out = keys;
    for (rocket_track& t : out)
        for (auto k = t.keys.begin(); k != t.keys.end();) {
            const char* why = refusal(k->first, k->second, t.scale);
            if (!why) {
                ++k;
                continue;
            }
            if (++count <= 4)
                refused += std::string(count > 1 ? ", " : "") + t.name + " row " + std::to_string(k->first) + " (" +
                           why + ")";
            const uint32_t row = k->first;
            k = t.keys.erase(k);
            for (const rocket_track& f : file)
                if (const auto kept = f.keys.find(row); f.name == t.name && kept != f.keys.end())
                    t.keys[row] = kept->second;
        }
    if (count > 4)
        refused += " and " + std::to_string(count - 4) + " more";
    return out;
}

// The file a symbolic link leads to, through every link on the way (a link
// to a file not made yet leads to where it will be); the path itself when it
// is no link. The save writes there, so the link stays a link.
std::string file_behind(std::string path)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat about;
        if (::lstat(path.c_str(), &about) != 0 || !S_ISLNK(about.st_mode))
            return path;
        char target[4096];
        const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
        if (n <= 0)
            return path;
        const std::string to(target, size_t(n));
        const size_t slash = path.rfind('/');
        path = to[0] == '/' || slash == std::string::npos ? to : path.substr(0, slash + 1) + to;
    }
    return path; // a loop of links: opening it says so
}

bool read_file(const std::string& path, std::string& text, bool& exists, mode_t& mode, nlink_t& links,
               std::string& error)
{
    exists = false;
    mode = 0644;
    links = 1;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return true;
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    exists = true;
    struct stat about;
    if (::fstat(fd, &about) == 0)
        mode = about.st_mode & 07777, links = about.st_nlink;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = "cannot read " + path + ": " + std::strerror(errno);
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        text.append(buffer, size_t(n));
    }
    ::close(fd);
    return true;
}

// Writes text to path, a file of its own, and flushes it to the disk; removes it again on failure.
bool write_synced(const std::string& path, const std::string& text, mode_t mode, std::string& error)
{
    ::unlink(path.c_str()); // a stale one from a save cut short
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
        error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    ::fchmod(fd, mode); // the file's own permissions, whatever the umask
    const char* p = text.data();
    size_t left = text.size();
    int failure = 0;
    while (left > 0 && !failure) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno != EINTR)
            failure = errno;
        else if (n > 0)
            p += n, left -= size_t(n);
    }
    if (!failure && ::fsync(fd) != 0)
        failure = errno;
    if (::close(fd) != 0 && !failure)
        failure = errno;
    if (failure) {
        error = "cannot write " + path + ": " + std::strerror(failure);
        ::unlink(path.c_str());
    }
    return !failure;
}

// The folder's entry for the renames reaches the disk too.
void sync_folder(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The text written over the file where it is, for a file with other hard links, which a
// rename would leave holding the old text.
bool write_in_place(const std::string& path, const std::string& text, std::string& error)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    int failure = fd < 0 ? errno : 0;
    for (size_t done = 0; !failure && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno != EINTR)
            failure = errno;
        else if (n > 0)
            done += size_t(n);
    }
    if (!failure && ::fsync(fd) != 0)
        failure = errno;
    if (fd >= 0 && ::close(fd) != 0 && !failure)
        failure = errno;
    if (failure)
        error = "cannot write it: " + std::string(std::strerror(failure));
    return !failure;
}

// Both copies are made in full beside their places before either is renamed into it, so a
// full disk or a read-only folder stops the save before anything the author has changed.
// A file with other hard links is written over in place once both copies are made.
bool replace_keeping_backup(const std::string& path, const std::string& text, const std::string* before, mode_t mode,
                            bool in_place, std::string& error)
{
    const std::string fresh = path + ".new", backup = path + ".bak", backup_fresh = backup + ".new";
    if (!write_synced(fresh, text, mode, error))
        return false;
    if (before && !write_synced(backup_fresh, *before, mode, error)) {
        ::unlink(fresh.c_str());
        return false;
    }
    if (before && ::rename(backup_fresh.c_str(), backup.c_str()) != 0) {
        error = "cannot replace " + backup + ": " + std::strerror(errno);
        ::unlink(backup_fresh.c_str());
        ::unlink(fresh.c_str());
        return false;
    }
    if (in_place) {
        if (!write_in_place(path, text, error)) {
            error += "; the text is in " + fresh + ", the file as it was in " + backup;
            return false;
        }
        ::unlink(fresh.c_str());
    } else if (::rename(fresh.c_str(), path.c_str()) != 0) {
        error = "cannot replace it: " + std::string(std::strerror(errno));
        ::unlink(fresh.c_str());
        return false;
    }
    sync_folder(path);
    return true;
}

// Why the build would refuse the text as saved (its first fatal problem), or empty.
std::string build_refusal(const timeline_source& saved)
{
    packed_timeline packed;
    std::vector<pack_problem> problems;
    if (pack_timeline(saved, packed, problems, true))
        return "";
    for (const pack_problem& p : problems)
        if (p.fatal)
            return p.text;
    return "";
}
}

std::string rocket_save(const rocket_source& keys, const std::string& link)
{
    const std::string path = file_behind(link);
    std::string before, error;
    bool exists;
    mode_t mode;
    nlink_t links;
    if (!read_file(path, before, exists, mode, links, error))
        return "could not save " + path + ": " + error + "; nothing was written";
    timeline_source old;
    std::string unreadable;
    if (exists)
        parse_timeline(before, old, unreadable); // an unreadable file only lends its notes

    std::string refused;
    int refused_count = 0;
    const std::string text = format_timeline(rocket_to_source(savable(keys, old, refused, refused_count)), before);
    timeline_source check;
    if (!parse_timeline(text, check, error))
        return "could not save " + path + ": the text made would not read back (" + error + "); nothing was written";
    if (!replace_keeping_backup(path, text, exists ? &before : nullptr, mode, links > 1, error))
        return "could not save " + path + ": " + error + (links > 1 ? "" : "; the file is as it was");
    std::string line = "saved " + path;
    if (path != link)
        line += " (where " + link + " links to)";
    if (exists)
        line += " (previous in " + path + ".bak)";
    if (refused_count)
        line += "; not saved, kept in the editor: " + refused;
    // The editor may hold what the build cannot store; the save keeps the author's keys, and says so.
    if (const std::string refusal = build_refusal(check); !refusal.empty())
        line += "; the build will refuse this file: " + refusal;
    return line;
}

#include "tools/studio/live_timeline.h"

#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>

#include "tools/studio/file_watch.h"

namespace {
constexpr std::streamsize largest_source = 4 << 20; // far above any real timeline

std::mutex guard; // between the watcher thread and the frame loop
std::shared_ptr<const packed_timeline> waiting;
std::string errors;
timeline_source good_source;

bool read_text(const std::string& path, std::string& text, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot be read";
        return false;
    }
    std::ostringstream all;
    char chunk[65536];
    std::streamsize total = 0;
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        total += in.gcount();
        if (total > largest_source) {
            error = "is larger than 4 MiB";
            return false;
        }
        all.write(chunk, in.gcount());
    }
    text = all.str();
    return true;
}
}

void reload_timeline(const std::string& path)
{
    std::string text, error;
    timeline_source source;
    auto packed = std::make_shared<packed_timeline>();
    std::vector<pack_problem> problems;
    bool good = read_text(path, text, error) && parse_timeline(text, source, error);
    if (good) {
        good = pack_timeline(source, *packed, problems, true);
        for (const pack_problem& p : problems) {
            if (p.fatal)
                error += p.text + "\n";
            else
                std::fprintf(stderr, "swipemix-studio: %s: warning: %s\n", path.c_str(), p.text.c_str());
        }
    }
    const std::string name = path.substr(path.rfind('/') + 1);
    std::lock_guard<std::mutex> lock(guard);
    if (!good) {
        errors = name + ": " + error;
        if (errors.back() != '\n')
            errors += '\n';
        std::fprintf(stderr, "swipemix-studio: %s", errors.c_str());
        return;
    }
    if (!errors.empty())
        std::fprintf(stderr, "swipemix-studio: %s packs again\n", name.c_str());
    errors.clear();
    waiting = std::move(packed);
    good_source = std::move(source);
}

bool watch_timeline(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash);
    const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    return watch_folder(dir, [path, name](const std::string& saved) {
        if (saved == name)
            reload_timeline(path);
    });
}

std::shared_ptr<const packed_timeline> take_timeline()
{
    std::lock_guard<std::mutex> lock(guard);
    return std::move(waiting);
}

std::string timeline_errors()
{
    std::lock_guard<std::mutex> lock(guard);
    return errors;
}

timeline_source last_good_source()
{
    std::lock_guard<std::mutex> lock(guard);
    return good_source;
}

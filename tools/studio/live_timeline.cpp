#include "tools/studio/live_timeline.h"

#include <cstdio>
#include <mutex>

#include "tools/common/timeline_file.h"
#include "tools/studio/file_watch.h"

namespace {
std::mutex guard; // between the watcher thread and the frame loop
std::shared_ptr<const packed_timeline> waiting;
std::string errors;
timeline_source good_source;
folder_watch watch;
std::string watched_path;
}

void reload_timeline(const std::string& path)
{
    std::string error;
    std::vector<std::string> warnings;
    timeline_source source;
    auto packed = std::make_shared<packed_timeline>();
    const bool good = load_timeline_file(path, source, *packed, error, warnings);
    for (const std::string& w : warnings)
        std::fprintf(stderr, "swipemix-studio: %s: warning: %s\n", path.c_str(), w.c_str());
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

void watch_timeline(const std::string& path)
{
    const size_t slash = path.rfind('/');
    watch = watch_folder(slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash));
    watched_path = path;
}

void follow_timeline_file()
{
    const std::string path = watched_path, name = path.substr(path.rfind('/') + 1);
    follow_folder(
        watch,
        [path, name](const std::string& saved) {
            if (saved == name)
                reload_timeline(path);
        },
        [path] { reload_timeline(path); });
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

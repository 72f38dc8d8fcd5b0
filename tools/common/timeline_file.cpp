#include "tools/common/timeline_file.h"

#include <cstdio>

#include "tools/common/text_file.h"

namespace {
constexpr size_t largest_source = 4 << 20; // far above any real timeline
}

bool load_timeline_file(const std::string& path, timeline_source& source, packed_timeline& packed, std::string& error,
                        std::vector<std::string>& warnings)
{
    std::string text;
    error.clear();
    if (read_text_file(path, largest_source, text, error) != text_read::read || !parse_timeline(text, source, error))
        return false;
    std::vector<pack_problem> problems;
    const bool good = pack_timeline(source, packed, problems, true);
    for (const pack_problem& p : problems) {
        if (!p.fatal)
            warnings.push_back(p.text);
        else
            error += (error.empty() ? "" : "\n") + p.text;
    }
    return good;
}

bool read_timeline_option(const char* tool, const char* path, packed_timeline& packed)
{
    timeline_source source;
    std::string error;
    std::vector<std::string> warnings;
    const bool good = load_timeline_file(path, source, packed, error, warnings);
    for (const std::string& w : warnings)
        std::fprintf(stderr, "%s: %s: warning: %s\n", tool, path, w.c_str());
    if (!good)
        std::fprintf(stderr, "%s: %s: %s\n", tool, path, error.c_str());
    return good;
}

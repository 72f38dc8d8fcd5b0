#include "tools/common/timeline_file.h"

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

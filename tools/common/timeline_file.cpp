#include "tools/common/timeline_file.h"

#include <fstream>
#include <sstream>

namespace {
constexpr std::streamsize largest_source = 4 << 20; // far above any real timeline

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

bool load_timeline_file(const std::string& path, timeline_source& source, packed_timeline& packed, std::string& error,
                        std::vector<std::string>& warnings)
{
    std::string text;
    error.clear();
    if (!read_text(path, text, error) || !parse_timeline(text, source, error))
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

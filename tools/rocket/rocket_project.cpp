#include "tools/rocket/rocket_project.h"

#include <charconv>

namespace {
std::string escaped(const std::string& s)
{
    std::string out;
    for (char c : s)
        out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : c == '"' ? "&quot;" : std::string(1, c);
    return out;
}
}

std::string rocket_project_xml(const timeline_source& source, int rows)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<tracks rows=\"" + std::to_string(rows) +
                      "\" startRow=\"0\" endRow=\"" + std::to_string(rows - 1) + "\" highlightRowStep=\"8\">\n";
    for (const source_track& track : source.tracks) {
        xml += "  <track name=\"" + escaped(track.name) + "\">\n";
        for (const source_key& key : track.keys) {
            char value[40];
            auto [end, ec] = std::to_chars(value, value + sizeof value, key.value);
            xml += "    <key row=\"" + std::to_string(key.row) + "\" value=\"" + std::string(value, end) +
                   "\" interpolation=\"" + std::to_string(int(key.mode)) + "\"/>\n";
        }
        xml += "  </track>\n";
    }
    return xml + "</tracks>\n";
}

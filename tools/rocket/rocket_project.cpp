#include "tools/rocket/rocket_project.h"

#include <charconv>
#include <cstdlib>

namespace {
std::string escaped(const std::string& s)
{
    std::string out;
    for (char c : s)
        out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : c == '"' ? "&quot;" : std::string(1, c);
    return out;
}

std::string unescaped(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '&') {
            for (auto [ent, c] : {std::pair{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}})
                if (s.compare(i, std::char_traits<char>::length(ent), ent) == 0) {
                    out += c;
                    i += std::char_traits<char>::length(ent) - 1;
                    break;
                }
        } else {
            out += s[i];
        }
    }
    return out;
}

// The value of attribute name inside one tag's text, or false.
bool attribute(const std::string& tag, const std::string& name, std::string& value)
{
    const size_t at = tag.find(" " + name + "=\"");
    if (at == std::string::npos)
        return false;
    const size_t from = at + name.size() + 3, to = tag.find('"', from);
    if (to == std::string::npos)
        return false;
    value = unescaped(tag.substr(from, to - from));
    return true;
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

bool read_rocket_project(const std::string& xml, timeline_source& out, std::string& error)
{
    out = {};
    for (size_t at = xml.find('<'); at != std::string::npos; at = xml.find('<', at + 1)) {
        const size_t end = xml.find('>', at);
        if (end == std::string::npos) {
            error = "unterminated tag";
            return false;
        }
        const std::string tag = xml.substr(at, end - at);
        std::string name, row, value, interpolation;
        if (tag.starts_with("<track ") && attribute(tag, "name", name)) {
            out.tracks.push_back({name, 10, {}});
        } else if (tag.starts_with("<key ")) {
            char* stop = nullptr;
            if (out.tracks.empty() || !attribute(tag, "row", row) || !attribute(tag, "value", value) ||
                !attribute(tag, "interpolation", interpolation)) {
                error = "incomplete key: " + tag;
                return false;
            }
            const double v = std::strtod(value.c_str(), &stop);
            const int r = std::atoi(row.c_str()), m = std::atoi(interpolation.c_str());
            if (*stop || m < 0 || m >= sync_mode_count || r < 0) {
                error = "bad key: " + tag;
                return false;
            }
            out.tracks.back().keys.push_back({r, v, sync_mode(m)});
        }
    }
    return true;
}

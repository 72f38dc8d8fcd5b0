// Build step: packs a timeline source into the show's stored tables as C++ source.
// Any problem stops the build with its message.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "timeline/source.h"

namespace {
template <typename T, typename C>
void write_table(std::ostream& out, const char* decl, const C& table)
{
    out << decl << " = {";
    for (size_t k = 0; k < table.size(); ++k)
        out << (k % 20 ? " " : "\n    ") << int(T(table[k])) << ",";
    out << "\n};\n\n";
}
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: swipemix-timeline-pack SOURCE.timeline OUTPUT.cpp\n");
        return 2;
    }
    std::ifstream in(argv[1]);
    std::stringstream text;
    text << in.rdbuf();
    timeline_source source;
    std::string error;
    if (!in || !parse_timeline(text.str(), source, error)) {
        std::fprintf(stderr, "%s: %s\n", argv[1], in ? error.c_str() : "cannot be read");
        return 1;
    }
    packed_timeline packed;
    std::vector<pack_problem> problems;
    const bool ok = pack_timeline(source, packed, problems, true);
    for (const pack_problem& p : problems)
        std::fprintf(stderr, "%s: %s: %s\n", argv[1], p.fatal ? "error" : "warning", p.text.c_str());
    if (!ok)
        return 1;

    std::ostringstream out;
    out << "// Generated from timeline/show.timeline at build time; edit that file.\n"
           "#include \"timeline/sync.h\"\n\n";
    write_table<uint8_t>(out, "const uint8_t sync_rows[sync_row_slots]", packed.rows);
    write_table<uint8_t>(out, "const uint8_t sync_keys[]", packed.keys);
    write_table<uint8_t>(out, "const uint8_t sync_modes[]", packed.modes);
    write_table<int16_t>(out, "const int16_t sync_values[]", packed.values);
    write_table<uint8_t>(out, "const uint8_t sync_scales[sync_track_count]", packed.scales);
    out << "const int sync_key_count = sizeof sync_keys;\n"
           "const sync_tables show_sync = {sync_rows, sync_keys, sync_modes, sync_values, sync_scales,\n"
           "                               sizeof sync_keys};\n";
    std::ofstream file(argv[2]);
    file << out.str();
    return file ? 0 : 1;
}

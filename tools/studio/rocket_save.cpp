#include "tools/studio/rocket_save.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace {
const char* const mode_names[] = {"step", "linear", "smooth", "ramp"};
}

std::string rocket_format_source(const rocket_source& source)
{
    std::ostringstream text;
    text << "# The show's sync tracks: per track its name and scale byte, then its keys as\n"
            "# row (1/8 s), value (as the show sees it) and mode toward the next key.\n";
    for (const rocket_track& t : source) {
        text << "\ntrack " << t.name << " scale " << int(t.scale) << "\n";
        for (const auto& [row, k] : t.keys) {
            char value[32];
            std::snprintf(value, sizeof value, "%.9g", double(k.value));
            text << "  " << row << " " << value << " " << mode_names[k.mode] << "\n";
        }
    }
    return text.str();
}

std::string rocket_save(const rocket_source& source, const std::string& path)
{
    namespace fs = std::filesystem;
    const std::string fresh = path + ".new";
    {
        std::ofstream out(fresh, std::ios::binary | std::ios::trunc);
        out << rocket_format_source(source);
        out.flush();
        if (!out)
            return "could not save " + path + ": cannot write " + fresh;
    }
    std::error_code error;
    if (fs::exists(path, error))
        fs::copy_file(path, path + ".bak", fs::copy_options::overwrite_existing, error);
    if (error)
        return "could not save " + path + ": no backup (" + error.message() + ")";
    fs::rename(fresh, path, error);
    if (error)
        return "could not save " + path + ": " + error.message();
    return "saved " + path + " (previous in " + path + ".bak)";
}

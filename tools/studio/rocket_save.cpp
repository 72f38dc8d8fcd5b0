#include "tools/studio/rocket_save.h"

#include <filesystem>
#include <fstream>
#include <system_error>

std::string rocket_save(const rocket_source& keys, const std::string& path)
{
    namespace fs = std::filesystem;
    const std::string fresh = path + ".new";
    {
        std::ofstream out(fresh, std::ios::binary | std::ios::trunc);
        out << format_timeline(rocket_to_source(keys));
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

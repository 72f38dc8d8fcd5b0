#include "tools/studio/restart.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "graphics/shader_sources.h"

namespace {
long long saved_at(const char* shader_dir, const char* name)
{
    struct stat st;
    const std::string path = std::string(shader_dir) + "/" + name;
    return stat(path.c_str(), &st) == 0 ? st.st_mtim.tv_sec * 1'000'000'000LL + st.st_mtim.tv_nsec : 0;
}

std::string row_text(double row)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", row);
    return text;
}
}

std::vector<std::string> restart_arguments(int argc, const char* const* argv, const transport_state& place,
                                           const std::string& costs)
{
    std::vector<std::string> args{argv[0]};
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--row" || a == "--loop" || (a == "--costs" && !costs.empty()))
            ++i; // and its value
        else if (a != "--paused")
            args.push_back(a);
    }
    args.insert(args.end(), {"--row", row_text(place.row)});
    if (place.paused)
        args.push_back("--paused");
    if (place.loop_end >= 0)
        args.insert(args.end(), {"--loop", row_text(place.loop_start) + ":" + row_text(place.loop_end)});
    if (!costs.empty())
        args.insert(args.end(), {"--costs", costs});
    return args;
}

std::string suspect_effect(const char* shader_dir, const int* slots, int count)
{
    int suspect = -1;
    long long newest = -1;
    for (int k = 0; k < count; ++k) {
        const long long at = saved_at(shader_dir, source_files[slots[k]]);
        if (at > newest)
            newest = at, suspect = slots[k];
    }
    if (suspect < 0)
        return "";
    if (suspect == composite_slot)
        return std::string("the composite (") + source_files[0] + ")";
    return "entry " + std::to_string(entry_of_slot(suspect)) + " (" + source_files[suspect] + ")";
}

long long newest_save(const char* shader_dir)
{
    long long newest = 0;
    for (const char* name : source_files)
        newest = std::max(newest, saved_at(shader_dir, name));
    return newest;
}

#include "tools/studio/restart.h"

#include <cstdio>
#include <cstring>

namespace {
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

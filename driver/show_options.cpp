#include "driver/show_options.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

constexpr int most_fps = 240;

bool parse_show_options(int argc, char** argv, show_options& options, std::string& error)
{
    for (int k = 1; k < argc; ++k) {
        const std::string option = argv[k];
        const bool valued = option == "--target-fps" || option == "--frame-times";
        if (valued && k + 1 == argc) {
            error = option + " needs a value";
            return false;
        }
        if (option == "--list-devices")
            options.list_devices = true;
        else if (option == "--help")
            options.help = true;
        else if (option == "--adaptive")
            options.adaptive = true;
        else if (option == "--show-scale")
            options.show_scale = true;
        else if (option == "--frame-times")
            options.frame_times = argv[++k];
        else if (option == "--target-fps") {
            const char* text = argv[++k];
            char* end;
            errno = 0;
            const long fps = std::strtol(text, &end, 10);
            if (end == text || *end || errno || fps < 1 || fps > most_fps) {
                error = std::string("--target-fps ") + text + ": give a whole number from 1 to " +
                        std::to_string(most_fps);
                return false;
            }
            options.target_fps = int(fps);
        } else {
            error = "unknown option " + option;
            return false;
        }
    }
    if (!options.adaptive && (options.target_fps || options.show_scale)) {
        error = std::string(options.target_fps ? "--target-fps" : "--show-scale") + " needs --adaptive";
        return false;
    }
    return true;
}

int adaptive_target_fps(int asked, int refresh_hz, bool cpu_device)
{
    if (asked > 0)
        return asked;
    return std::min(refresh_hz > 0 ? refresh_hz : 60, cpu_device ? 30 : 60);
}

double adaptive_budget_ms(int fps) { return 1100.0 / fps; }

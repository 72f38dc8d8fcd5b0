// driver_pictures DIR SCALE ROW...: on whatever Vulkan driver the loader
// gives, every entry as the contact sheet poses it (DIR/entryNN.png) and the
// show's frames at each ROW (DIR/rowNNNN.png), the back buffer the column
// alone and every kernel at the preview scale SCALE (1, 2, 4 or 8), so that a
// slow driver draws them all in a few seconds. The cross-driver test runs it
// once per driver and compares the folders.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "graphics/authoring.h"
#include "graphics/device.h"
#include "tools/capture/capture_image.h"
#include "tools/stepped/stepped_show.h"

int main(int argc, char** argv)
{
    const int scale = argc > 2 ? std::atoi(argv[2]) : 0;
    if (argc < 3 || (scale != 1 && scale != 2 && scale != 4)) {
        std::fprintf(stderr, "usage: driver_pictures DIR 1|2|4|8 ROW...\n");
        return 2;
    }
    const std::string dir = argv[1];
    set_back_buffer_width(column_width);
    if (scale != 1)
        build_preview_scales(scale);
    if (!start_renderer(nullptr))
        return 1;
    set_preview_scale(scale);

    const frame_rate rate{}; // the show's own 60 frames a second
    double stays[entry_count];
    find_longest_stays(rate, stays);
    rgb_image frame;
    char name[32];
    for (int e = 0; e < entry_count; ++e) {
        draw_entry_as_shown(e, stays[e]);
        grab(frame, 0, column_width);
        std::snprintf(name, sizeof name, "/entry%02d.png", e);
        if (!write_png((dir + name).c_str(), frame))
            return 1;
    }
    for (int k = 3; k < argc; ++k) {
        const double row = std::atof(argv[k]);
        std::snprintf(name, sizeof name, "/row%04d.png", int(row));
        if (!step_show(rate, row, frame_row(rate, row, 1), [&](long, double) { // its one frame
                grab(frame, 0, column_width);
                return write_png((dir + name).c_str(), frame);
            }))
            return 1;
    }
    return 0;
}

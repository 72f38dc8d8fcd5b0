#include "tools/studio/shot.h"

#include <cmath>
#include <cstdio>

#include "graphics/authoring.h"
#include "tools/capture/capture_image.h"

std::string shot_path(const std::string& dir, double row)
{
    char name[48];
    std::snprintf(name, sizeof name, "swipemix-row%07.2f.png", row);
    return dir.empty() || dir == "." ? name : dir + (dir.back() == '/' ? "" : "/") + name;
}

double shot_row(double row) { return std::round(row * 100) / 100; }

bool write_shot(const std::string& path, bool whole, std::string& error)
{
    static rgb_image picture;
    const unsigned* words = read_back_buffer();
    if (whole)
        grab(picture, words, 0, W);
    else
        grab(picture, words, (W - column_width) / 2, column_width);
    return write_png(path.c_str(), picture, error);
}

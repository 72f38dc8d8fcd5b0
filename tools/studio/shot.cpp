#include "tools/studio/shot.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>

#include "graphics/authoring.h"
#include "tools/capture/capture_image.h"
#include "tools/studio/place_file.h"

std::string shot_path(const std::string& dir, double row, bool whole)
{
    char name[64];
    std::snprintf(name, sizeof name, "swipemix-row%07.2f%s.png", row, whole ? "-window" : "");
    return dir.empty() || dir == "." ? name : dir + (dir.back() == '/' ? "" : "/") + name;
}

double shot_row(double row) { return std::round(row * 100) / 100; }

std::string write_shot(const std::string& dir, double row, bool whole, std::string& error)
{
    static rgb_image picture;
    const unsigned* words = read_back_buffer();
    if (whole)
        grab(picture, words, 0, W);
    else
        grab(picture, words, column_left(W), column_width);
    const std::string wanted = shot_path(dir, row, whole), written = temporary_beside(wanted, error);
    if (written.empty())
        return "";
    std::string why;
    if (!write_png(written.c_str(), picture, why)) {
        unlink(written.c_str());
        error = wanted + " cannot be written" + why.substr(why.rfind(':'));
        return "";
    }
    return place_file(written, wanted, error);
}

// picture_difference A.png B.png [--level N] [--within MEAN SHARE]
// How far two pictures of the same size are apart: prints the mean absolute
// difference of a channel in levels of 255, the share of pixels with a
// channel off by more than N levels (default 0) and the largest difference.
// With --within it exits 1 when the mean is above MEAN or the share above
// SHARE (a fraction); 2 on bad arguments or unreadable files.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/fixtures/pictures.h"

namespace {
int usage(const std::string& why)
{
    std::fprintf(stderr, "picture_difference: %s\nusage: picture_difference A.png B.png [--level N] [--within MEAN SHARE]\n",
                 why.c_str());
    return 2;
}
}

int main(int argc, char** argv)
{
    if (argc < 3)
        return usage("two pictures are needed");
    int level = 0;
    double most_mean = -1, most_share = -1;
    for (int i = 3; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--level" && i + 1 < argc && (level = std::atoi(argv[i + 1])) >= 0)
            ++i;
        else if (name == "--within" && i + 2 < argc) {
            most_mean = std::atof(argv[i + 1]), most_share = std::atof(argv[i + 2]);
            i += 2;
        } else
            return usage("bad option " + name);
    }
    rgb_picture a, b;
    std::string error;
    for (int k = 1; k <= 2; ++k)
        if (!read_rgb_png(argv[k], k == 1 ? a : b, error)) {
            std::fprintf(stderr, "picture_difference: %s: %s\n", argv[k], error.c_str());
            return 2;
        }
    if (a.width != b.width || a.height != b.height) {
        std::fprintf(stderr, "picture_difference: %s is %d x %d, %s %d x %d\n", argv[1], a.width, a.height, argv[2],
                     b.width, b.height);
        return 1;
    }
    const picture_distance d = measure_distance(a.rgb.data(), b.rgb.data(), size_t(a.width) * a.height, level);
    std::printf("mean %.3f share %.5f largest %d\n", d.mean, d.share, d.largest);
    return most_mean >= 0 && (d.mean > most_mean || d.share > most_share) ? 1 : 0;
}

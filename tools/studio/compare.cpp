#include "tools/studio/compare.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

ab_view next_view(ab_view view)
{
    return view == ab_view::now ? ab_view::before : view == ab_view::before ? ab_view::difference : ab_view::now;
}

void amplified_difference(const unsigned* a, const unsigned* b, int count, unsigned char* grey)
{
    for (int k = 0; k < count; ++k) {
        int most = 0;
        for (int shift : {0, 10, 20})
            most = std::max(most, std::abs(int(a[k] >> shift & 1023) - int(b[k] >> shift & 1023)));
        // 10-bit levels: four make one of 255.
        grey[k] = (unsigned char)std::min(255, (most * amplified_level + 3) / 4);
    }
}

std::string compare_line(ab_view view, double before_ms, double now_ms)
{
    char shown[24];
    std::snprintf(shown, sizeof shown, view == ab_view::before       ? "BEFORE"
                                       : view == ab_view::difference ? "diff x%d"
                                                                     : "now",
                  amplified_level);
    // Short enough for the display beside the column in a small window.
    char line[96];
    std::snprintf(line, sizeof line, "A/B %s  old %.1f new %.1f ms", shown, before_ms, now_ms);
    return line;
}

#include "graphics/device_lost.h"

#include "shared/state.h"

std::string device_lost_line(const char* what, const int* slots, int count)
{
    std::string line = std::string("the device was lost (") + what + ")";
    if (count <= 0)
        return line + " while it ran no effect";
    line += " while it ran ";
    for (int k = 0; k < count; ++k) {
        line += k == 0 ? "" : k + 1 == count ? " and " : ", ";
        line += slots[k] == composite_slot ? "the composite" : "entry " + std::to_string(entry_of_slot(slots[k]));
    }
    return line;
}

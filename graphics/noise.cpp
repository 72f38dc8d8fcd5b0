#include "graphics/noise.h"

#include <bit>

#include "shared/state.h"

uint32_t guid[4] = {0x6F15AAF2u, 0x4E89D208u, 0x9548B49Au, 0x9C4FD335u};

void fillrand()
{
    for (uint32_t& word : randdata.words) {
        uint32_t w = word;
        for (int j = 0; j < 3; ++j) {
            // guid[j + 1] is read before its own update; guid[3] stays constant.
            guid[j] = std::rotr(guid[j], int(guid[j] & 31)) + guid[j + 1];
            w ^= guid[j];
        }
        word = w;
    }
}

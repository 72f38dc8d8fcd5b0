#include "timeline/clock.h"

#include <cstdint>
#include <ctime>

namespace {
constexpr int64_t counter_frequency = 1000000000; // read_counter counts nanoseconds
int64_t clock_origin;
float frozen_row = -1;

int64_t read_counter()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * counter_frequency + ts.tv_nsec;
}
}

void freeze_clock(float row) { frozen_row = row; }

void start_clock()
{
    clock_origin = read_counter();
}

bool clock_is_live() { return frozen_row == -1.0f; }

double clock_now()
{
    if (!clock_is_live())
        return frozen_row;
    const int64_t ticks = (read_counter() - clock_origin) << 3;
    return double(ticks) / double(counter_frequency);
}

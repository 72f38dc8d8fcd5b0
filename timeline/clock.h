// The show clock, in rows of 1/8 second since start_clock.
#pragma once

#ifndef SWIPEMIX_FROZEN_TIME
#define SWIPEMIX_FROZEN_TIME -1
#endif

// -1 means live; any other value pins the clock to that row.
constexpr float frozen_time = static_cast<float>(SWIPEMIX_FROZEN_TIME);

void start_clock();
double clock_now();
bool clock_is_live();

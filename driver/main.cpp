// The show binary, its clock pinned where the build says (-1 runs it live).
#include "driver/show.h"
#include "timeline/clock.h"

int main()
{
    freeze_clock(SWIPEMIX_FROZEN_TIME);
    return run_show();
}

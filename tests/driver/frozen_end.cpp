// The show with its clock pinned past the end: it must stop after one frame.
#include "driver/show.h"
#include "timeline/clock.h"

int main()
{
    freeze_clock(1800);
    return run_show();
}

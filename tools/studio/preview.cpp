#include "tools/studio/preview.h"

void cycle_preview_mode(preview_state& p)
{
    p.mode = p.mode == preview_auto ? 1 : p.mode == 4 ? preview_auto : p.mode * 2;
}

int playing_scale(const preview_state& p) { return p.mode == preview_auto ? 1 << p.governor.index : p.mode; }

int scale_to_draw(preview_state& p, bool paused, bool changed, bool exact)
{
    const int scale = exact ? 1 : playing_scale(p);
    if (!paused || changed) {
        p.exact_owed = paused && scale != 1;
        return scale;
    }
    if (!p.exact_owed)
        return 0;
    p.exact_owed = false;
    return 1;
}

int frame_scale(preview_state& p, const loop_facts& f)
{
    const bool stopped = f.was_playing && f.paused && f.row == f.row_before && !f.new_shaders;
    const bool exact = f.shot || stopped || (f.paused && f.relabelled && !f.changed);
    return scale_to_draw(p, f.paused, f.changed || f.relabelled, exact);
}

void frame_timed(preview_state& p, int scale, double ms)
{
    if (p.mode == preview_auto && scale == playing_scale(p))
        governor_step(p.governor, ms, p.budget_ms);
}

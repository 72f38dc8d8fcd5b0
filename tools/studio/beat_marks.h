// The beats heard along the show, as the strip draws them and `,` and `.`
// step to them: each track's beat grid laid over the rows the show map says
// it plays, from the row it started at.
#pragma once

#include "music/beats.h"
#include "tools/studio/show_map.h"

constexpr int most_beat_marks = 8192;

struct beat_mark {
    double row;
    bool bar; // the first beat of a bar
};

struct beat_marks {
    int count;
    beat_mark marks[most_beat_marks]; // rising
};

// The beats of `grids` (one per entry) heard in the show `map` describes.
void mark_beats(const show_map& map, const beat_grid* grids, beat_marks& out);
// The row of the last beat before `row`, or of the first after it; `row`
// itself where there is none.
double beat_before(const beat_marks& b, double row);
double beat_after(const beat_marks& b, double row);

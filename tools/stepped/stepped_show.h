// The show run by the capture and the studio: its start-up minus window and music,
// and the show's frame code driven by a stepped clock over the timeline playing
// (play_timeline in driver/authoring.h puts an edited one in place).
#pragma once
#include <cstdio>
#include <functional>
#include <vector>

#include "driver/feed.h"
#include "graphics/device.h"
#include "shared/state.h"
#include "tools/common/frame_rate.h"

// Compiles the built-in texts, or those of `shader_dir` where it has them.
// False, after a line on stderr, when there is no Vulkan device.
bool start_renderer(const char* shader_dir);
// The same for a window's device. Both keep the feed as start-up leaves it,
// for first_feed.
bool start_windowed_renderer(const window_link* window, const char* shader_dir);

// Every entry's music from `dir`; when not one track there can be read, one
// line saying so and how to mend it, and silence.
void load_music(const char* tool, const char* dir);

// The first line of a frame-times file, naming its columns.
constexpr char frame_times_header[] = "row\tentry\tms";

// Which track plays, and the row of the frame that switched to it.
struct track_since {
    int track = 0; // the show starts on entry 0's music at row 0
    double since = 0;
};
// The feed gives track `now` at the frame at `rows`: where that is another
// track, it plays from there. True when it changed.
bool follow_track(track_since& playing, int now, double rows);

// The feed as the show's first frame finds it, every run's start.
feed_state first_feed();
// That feed stepped at `rate` through every frame before `rows`; `each` sees
// each frame's row and the track the feed gives it. The music is not touched.
feed_state step_feed_to(const frame_rate& rate, double rows,
                        const std::function<void(double rows, int track)>& each = {});

// Steps the show at `rate` from row 0: the feed moves through every frame time
// before `from` undrawn, then frames at from, from + 8 / fps, ... before `to`
// (frames_between of them) are drawn, presented and handed to `frame` with their index and row. Stops
// early when `frame` returns false, and then returns false. Every frame hands
// its track to the music as the show does; `passed` sees the undrawn ones.
// With `times`, each drawn frame adds a line: row, entry, milliseconds from
// the feed's step to the end of its present; a line that cannot be written
// stops the run, with errno saying why.
// Without `draw`, only the feed and the music move. Frames before index
// `first` are stepped as passed ones, so a run's later frames come out as
// the whole run draws them.
bool step_show(const frame_rate& rate, double from, double to, const std::function<bool(long index, double rows)>& frame,
               const std::function<void(double rows)>& passed = {}, FILE* times = nullptr, bool draw = true,
               long first = 0);

// The feed's track at each frame step_show would draw, found without drawing
// or touching the music.
std::vector<int> tracks_between(const frame_rate& rate, double from, double to);

// For each entry, the row in the middle of its longest stay on screen (the
// feed's track index pointing at it), with the show stepped at `rate`, and
// where asked that stay's length in rows.
void find_longest_stays(const frame_rate& rate, double middle_rows[entry_count], double lengths[entry_count] = nullptr);

// Entry e alone filling the column, drawn and presented: as the show draws
// it at `rows` (its zoom, time offset, caption and composite)...
void draw_entry_as_shown(int e, double rows);
// ...or plainly at clock `seconds`: zoom 1, time offset 0, gain 1, blur 0,
// gamma 1, the other sync values as the show has them at `rows`.
void draw_entry_plain(int e, double seconds, double rows);

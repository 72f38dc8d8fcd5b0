// Rendering rows of the show to a video while the studio plays: the capture
// tool runs as a child process on the studio's effect folder and timeline
// file, and tells how far it is through its frame-times file.
#pragma once
#include <string>

#include "shared/state.h"
#include "tools/common/frame_rate.h"

// The rows to render: the loop when there is one, else the entry on screen at
// `row` (the last whose target row, from find_entry_rows, is at or before it)
// up to the next entry's. Rows [from, to): `to` itself is not drawn.
void render_rows(double row, double loop_start, double loop_end, const double entry_rows[entry_count], double& from,
                 double& to);
// DIR/swipemix-rows0100.00-0132.00.mp4.
std::string render_path(const std::string& dir, double from, double to);

struct render_job {
    std::string path;     // the video being written
    long long frames = 0; // how many it will hold
    long long done = 0;
    bool running = false;
    int exit_code = 0;    // once it stopped
};

// Starts `capture` writing `path` (a render of the same rows before is
// replaced); false, with `error`, when it cannot start. The timeline is the
// file at `timeline`, or, when `timeline_text` is not empty, that text (the
// keys of a linked editor), in a file of its own while the render runs.
bool start_render(const std::string& capture, const std::string& shader_dir, const std::string& timeline,
                  const std::string& timeline_text, const std::string& music, const std::string& path, double from,
                  double to, std::string& error);
// How the render stands now; cheap enough for every frame.
const render_job& poll_render();
// Interrupts a running render as Ctrl-C would, and waits for it to close a
// playable file. The capture is a process of its own, so this holds even
// while the studio's device is stuck.
void stop_render();

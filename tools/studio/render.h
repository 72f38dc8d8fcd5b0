// Rendering rows of the show to a video while the studio plays: the capture
// tool runs as a child process on the studio's effect folder and timeline
// file, and tells how far it is through its frame-times file.
#pragma once
#include <string>

#include "shared/state.h"
#include "tools/common/frame_rate.h"
#include "tools/studio/show_map.h"

// The rows to render: the loop when there is one, else the stay around `row`
// of the entry on screen there: the whole rows on either side with that entry
// on screen, not an earlier glimpse of it. Rows [from, to): `to` itself is not drawn.
void render_rows(double row, double loop_start, double loop_end, const show_map& map, double& from, double& to);
// DIR/swipemix-rows0100.00-0132.00.mp4: rows [100, 132).
std::string render_path(const std::string& dir, double from, double to);

struct render_job {
    std::string path;     // the video: where it goes while running, where it went once done
    long long frames = 0; // how many it will hold
    long long done = 0;
    bool running = false;
    int exit_code = 0;    // once it stopped
    bool kept = false;    // once it stopped: the video is at `path`, whole or as far as it was stopped
    std::string error;    // else why not, in one line
};

// Starts `capture` on rows [from, to) into DIR, named by render_path; false,
// with `error`, when it cannot start. The video is written under a temporary
// name beside it and takes its name once whole; an earlier render of the same
// rows is kept, the new one taking the next free name. The timeline is the
// file at `timeline`, or, when `timeline_text` is not empty, that text (the
// keys of a linked editor), in a file of its own while the render runs.
bool start_render(const std::string& capture, const std::string& shader_dir, const std::string& timeline,
                  const std::string& timeline_text, const std::string& music, const std::string& dir, double from,
                  double to, std::string& error);
// How the render stands now; cheap enough for every frame. A failed render
// leaves no file.
const render_job& poll_render();
// Interrupts a running render as Ctrl-C would, and waits for it to close a
// playable file, which is then named for the rows it holds. The capture is a
// process of its own, so this holds even while the studio's device is stuck.
void stop_render();
// Once it stopped: where the video went, or why there is none, in one line.
std::string render_outcome(const render_job& job);

#include "tools/capture_render.h"

#include <chrono>
#include <cstring>

#include "driver/feed.h"
#include "driver/frame.h"
#include "graphics/device.h"
#include "graphics/noise.h"
#include "music/playback.h"
#include "timeline/sync.h"
#include "tools/shader_dir.h"

namespace {
// The frame constants as start-up leaves them, so every run starts alike.
float fresh_constants[frame_constant_count];

void restart_feed()
{
    std::memcpy(frame_constants, fresh_constants, sizeof fresh_constants);
    frame_constants[slot_feed_position] = 0;
}

// The show's constants at `rows`, with entry e resting in the column.
void pose_entry(int e, double rows)
{
    restart_feed();
    frame_constants[slot_time] = frame_constants[slot_previous_time] = float(rows * 0.125);
    syncgetc(float(rows), frame_constants + slot_tracks);
    frame_constants[slot_feed_position] = float(e);
}
}

bool start_renderer(const char* shader_dir)
{
    use_recorder(); // the soundtrack is recorded, never played
    if (!create_device(nullptr))
        return false;
    fillrand();
    create_noise_volume();
    build_atlas();
    create_constant_buffer();
    compile_shaders(shader_dir ? load_shader_dir(shader_dir) : nullptr);
    present(0);
    std::memcpy(fresh_constants, frame_constants, sizeof fresh_constants);
    return true;
}

bool step_show(const frame_rate& rate, double from, double to, const std::function<bool(long, double)>& frame,
               const std::function<void(double)>& passed, FILE* times)
{
    restart_feed();
    for (long k = 0; frame_row(rate, 0, k) < from; ++k) {
        select_track(update_feed(frame_row(rate, 0, k)));
        if (passed)
            passed(frame_row(rate, 0, k));
    }
    for (long index = 0;; ++index) {
        const double rows = frame_row(rate, from, index);
        if (rows > to)
            return true;
        const auto begun = std::chrono::steady_clock::now();
        const int track = update_feed(rows);
        select_track(track);
        draw_passes();
        present(1);
        if (times)
            std::fprintf(times, "%.6f\t%d\t%.3f\n", rows, track,
                         std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begun).count());
        if (!frame(index, rows))
            return false;
    }
}

void find_longest_stays(const frame_rate& rate, double middle_rows[entry_count])
{
    constexpr double show_rows = 1712;
    double best[entry_count] = {};
    int track = -1;
    double since = 0;
    restart_feed();
    for (long k = 0;; ++k) {
        const double rows = frame_row(rate, 0, k);
        const int now = rows <= show_rows ? update_feed(rows) : -1;
        if (now != track) {
            if (track >= 0 && track < entry_count && rows - since > best[track]) {
                best[track] = rows - since;
                middle_rows[track] = since + (rows - since) / 2;
            }
            track = now;
            since = rows;
        }
        if (now < 0)
            return;
    }
}

void draw_entry_as_shown(int e, double rows)
{
    pose_entry(e, rows);
    draw_passes();
    present(1);
}

void draw_entry_plain(int e, double seconds, double rows)
{
    pose_entry(e, rows);
    float* fc = frame_constants;
    fc[slot_time] = fc[slot_previous_time] = float(seconds);
    fc[slot_even_zoom] = fc[slot_odd_zoom] = 1;
    fc[slot_even_zoom + 1] = fc[slot_odd_zoom + 1] = 0;
    fc[slot_gain] = 1;
    fc[slot_blur] = 0;
    fc[slot_gamma] = 1;
    draw_passes();
    present(1);
}

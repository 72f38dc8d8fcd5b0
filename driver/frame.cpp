#include "driver/frame.h"

#include <cmath>
#include <cstring>

#include "graphics/device.h"
#include "music/audio_texture.h"
#include "music/beats.h"
#include "shared/state.h"
#include "timeline/sync.h"

namespace {
// What the effects hear at this frame: the texture of the track heard, and
// where it stands in its beats. Samples are counted as the recorded
// soundtrack counts them, so a capture's texture is its soundtrack's.
void hear_music(const feed_state& feed)
{
    float* const fc = frame_constants;
    const int track = feed.heard.track;
    const bool entry = track >= 0 && track < entry_count;
    const int64_t sample = std::llround(double(feed.time) * 44100) -
                           std::llround(feed.heard.since * row_seconds * 44100);
    const double seconds = sample / 44100.0;
    static const music_track silence{};
    static float texels[audio_texels];
    audio_texture(entry ? track_table[track] : silence, sample, texels);
    upload_audio_texture(texels);
    const beat_position at = entry ? beat_at(beat_table[track], seconds) : beat_position{};
    fc[slot_beat_phase] = float(at.beat_phase);
    fc[slot_bar_phase] = float(at.bar_phase);
    fc[slot_tempo] = entry ? float(beat_table[track].tempo) : 0.0f;
    fc[slot_track_seconds] = float(seconds);
}

void put_feed(const feed_state& feed)
{
    frame_constants[slot_time] = feed.time;
    frame_constants[slot_previous_time] = feed.previous_time;
    frame_constants[slot_feed_position] = feed.position;
    std::memcpy(frame_constants + slot_tracks, feed.tracks, sizeof feed.tracks);
}
}

void draw_passes(const feed_state& feed)
{
    hear_music(feed);
    pass_descriptor passes[pass_count];
    plan_passes(feed, slots_filled(), W, passes);
    put_feed(feed);
    // Zoom and time offset are the entry passes' own; the composite keeps the next entry's.
    for (int k = 0; k < 2; ++k) {
        frame_constants[slot_pass_value] = passes[k].pass_value;
        frame_constants[slot_zoom] = passes[k].zoom;
        frame_constants[slot_time_offset] = passes[k].time_offset;
        // A frame resting on one entry leaves the next one's pass nothing to draw.
        if (passes[k].shader_slot >= 0 && (k == 0 || next_entry_shows(feed.position)))
            run_pass(passes[k].shader_slot);
    }
    frame_constants[slot_pass_value] = passes[2].pass_value;
    if (passes[2].shader_slot >= 0)
        run_pass(composite_slot);
}

#include "driver/startup.h"

#include <cstddef>
#include <vector>

#include "driver/feed.h"
#include "graphics/atlas.h"
#include "graphics/noise.h"
#include "music/audio_texture.h"
#include "music/beat_cache.h"
#include "music/playback.h"
#include "music/tracks.h"
#include "shared/state.h"
#include "timeline/clock.h"

bool start_device(const window_link* window, const unsigned char* atlas, validation_sink validation)
{
    if (!create_device(window, validation))
        return false;
    fillrand(); // after the device: it advances the generator state from its seed
    start_audio_analysis();
    create_noise_volume();
    if (atlas) {
        upload_atlas(atlas);
    } else {
        const std::vector<unsigned char> captions = take_caption_atlas();
        upload_atlas(captions.data());
    }
    create_constant_buffer();
    return true;
}

void start_shaders(const char* const* sources)
{
    const filled_slots compiled = wait_for_spirv(sources);
    // The first frame's shaders are made and readied before the present, the
    // others after it: all before the clock starts, so no frame waits for one.
    pass_descriptor passes[pass_count];
    plan_passes(start_feed(), compiled, W, passes);
    bool first[shader_slots] = {}, others[shader_slots];
    for (const pass_descriptor& pass : passes)
        if (pass.shader_slot >= 0)
            first[pass.shader_slot] = true;
    for (int slot = 0; slot < shader_slots; ++slot)
        others[slot] = !first[slot];
    make_pipelines(first);
    warm_up_shaders(first);
    present();
    make_pipelines(nullptr);
    warm_up_shaders(others);
}

feed_state start_music_and_clock()
{
    wait_for_tracks();
    load_beat_grids();
    play_track(track_table[current_track]);
    start_clock();
    return start_feed();
}

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
    compile_shaders(sources);
    present();
}

feed_state start_music_and_clock()
{
    wait_for_tracks();
    load_beat_grids();
    play_track(track_table[current_track]);
    start_clock();
    return start_feed();
}

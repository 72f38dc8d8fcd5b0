// Any bytes at all go through decode_track: nothing may crash or touch memory
// out of bounds, and the buffer never exceeds what the file could decode to.
#include <cstdlib>

#include "music/tracks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static mp3_decoder decoder;
    music_track track{};
    decode_track(decoder, track, data, uint32_t(size));
    if (track.pcm_bytes > size * 176.4 || (track.pcm_bytes && !track.pcm))
        __builtin_trap();
    if (track.pcm_bytes) // the whole buffer must be there
        track.pcm[0] ^= track.pcm[track.pcm_bytes - 1];
    std::free(track.pcm);
    return 0;
}

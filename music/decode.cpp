#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "music/resample.h"
#include "music/tracks.h"

decode_report last_decode;

namespace {
// The lowest MPEG bit rate, 8 kbit/s: no file decodes to more seconds than this allows.
constexpr double lowest_bytes_per_second = 1000.0;

struct memory_file {
    const unsigned char* bytes;
    uint32_t size;
    uint32_t at;
};

ssize_t read_memory(void* handle, void* out, size_t wanted)
{
    auto& f = *static_cast<memory_file*>(handle);
    const size_t n = std::min<size_t>(wanted, f.size - f.at);
    std::memcpy(out, f.bytes + f.at, n);
    f.at += uint32_t(n);
    return ssize_t(n);
}

off_t seek_memory(void* handle, off_t offset, int whence)
{
    auto& f = *static_cast<memory_file*>(handle);
    const off_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? off_t(f.at) : off_t(f.size);
    if (offset < -base || offset > off_t(f.size) - base)
        return -1;
    f.at = uint32_t(base + offset);
    return f.at;
}

mpg123_handle* new_quiet_decoder()
{
    mpg123_handle* h = mpg123_new(nullptr, nullptr);
    if (h)
        mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    return h;
}

// The playing time as a player states it: from an encoder's info frame when
// the file has one, otherwise from a scan of all its frames.
double stated_seconds(const unsigned char* bytes, uint32_t size)
{
    mpg123_handle* reader = new_quiet_decoder();
    if (!reader)
        return 0.0;
    memory_file file{bytes, size, 0};
    double seconds = 0.0;
    long rate, delay;
    int channels, encoding;
    double unused;
    mpg123_replace_reader_handle(reader, read_memory, seek_memory, nullptr);
    if (mpg123_open_handle(reader, &file) == MPG123_OK &&
        mpg123_getformat(reader, &rate, &channels, &encoding) == MPG123_OK) {
        if (mpg123_getstate(reader, MPG123_ENC_DELAY, &delay, &unused) != MPG123_OK || delay < 0)
            mpg123_scan(reader);
        const off_t samples = mpg123_length(reader);
        if (samples > 0 && rate > 0)
            seconds = double(samples) / double(rate);
    }
    mpg123_delete(reader);
    return seconds;
}

// Stereo 16-bit output at the file's own rate; resample() takes it to 44,100 Hz.
mpg123_handle* open_feed_decoder()
{
    mpg123_handle* h = new_quiet_decoder();
    if (!h)
        return nullptr;
    const long* rates;
    size_t rate_count;
    mpg123_rates(&rates, &rate_count);
    mpg123_format_none(h);
    for (size_t i = 0; i < rate_count; ++i)
        mpg123_format(h, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open_feed(h) != MPG123_OK) {
        mpg123_delete(h);
        return nullptr;
    }
    return h;
}
}

uint32_t decode_track(music_track& track, const unsigned char* bytes, uint32_t size)
{
    last_decode = {};
    // A header may claim any length; the file cannot decode to more than its bytes allow.
    track.duration = std::min(stated_seconds(bytes, size), size / lowest_bytes_per_second);
    track.pcm_bytes = uint32_t(std::min(std::trunc(track.duration * pcm_bytes_per_second), double(UINT32_MAX)));
    track.pcm = static_cast<unsigned char*>(std::calloc(track.pcm_bytes, 1));
    if (!track.pcm)
        track.pcm_bytes = 0;

    mpg123_handle* decoder = open_feed_decoder();
    if (!decoder)
        return track_failed;
    start_resampling(44100);
    pcm_sink sink{track.pcm, track.pcm_bytes, 0};
    static int16_t out[4096][2];
    // Fixed chunks from the first byte, whatever the frame boundaries; a final
    // short chunk is left out.
    for (uint32_t at = 0; size - at >= mp3_block_bytes; at += mp3_block_bytes) {
        ++last_decode.chunks_fed;
        mpg123_feed(decoder, bytes + at, mp3_block_bytes);
        for (;;) {
            size_t done = 0;
            const int status = mpg123_read(decoder, out, sizeof out, &done);
            if (status == MPG123_NEW_FORMAT) {
                long rate;
                int channels, encoding;
                mpg123_getformat(decoder, &rate, &channels, &encoding);
                start_resampling(rate);
            }
            resample(out[0], uint32_t(done / 4), sink);
            if (status != MPG123_NEW_FORMAT && (status != MPG123_OK || done == 0))
                break;
        }
    }
    mpg123_delete(decoder);
    last_decode.decoded_bytes = sink.offered;
    return track_ok;
}

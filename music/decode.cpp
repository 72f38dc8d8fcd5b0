#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "music/resample.h"
#include "music/stream_header.h"
#include "music/tracks.h"

namespace {
// The lowest MPEG bit rate, 8 kbit/s: no file decodes to more seconds than this allows.
constexpr double lowest_bytes_per_second = 1000.0;
// An encoder header may state a little more than the frames hold (padding, a
// frame it counts differently); beyond this share it is not believed.
constexpr double header_slack = 1.03;

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

// The decoder steps over an ID3v2 tag unread: kept, a tag is allocated at the
// size it claims, whatever the file holds, and fed a chunk at a time it is
// allocated anew for every chunk until it is whole.
mpg123_handle* new_quiet_decoder()
{
    mpg123_handle* h = mpg123_new(nullptr, nullptr);
    if (h)
        mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_SKIP_ID3V2, 0);
    return h;
}

struct lengths {
    double header; // as the encoder's header states it, 0 without one
    double frames; // as a scan of the frames gives it
};

// Reads the file image in place for its lengths.
lengths measure(const unsigned char* bytes, uint32_t size)
{
    mpg123_handle* length_reader = new_quiet_decoder();
    if (length_reader)
        mpg123_replace_reader_handle(length_reader, read_memory, seek_memory, nullptr);
    lengths found{0.0, 0.0};
    memory_file file{bytes, size, 0};
    long rate, delay;
    int channels, encoding;
    double unused;
    if (length_reader && mpg123_open_handle(length_reader, &file) == MPG123_OK &&
        mpg123_getformat(length_reader, &rate, &channels, &encoding) == MPG123_OK && rate > 0) {
        // Only an encoder's info frame gives a length before the scan.
        if (mpg123_getstate(length_reader, MPG123_ENC_DELAY, &delay, &unused) == MPG123_OK && delay >= 0)
            found.header = std::max<off_t>(mpg123_length(length_reader), 0) / double(rate);
        mpg123_scan(length_reader);
        found.frames = std::max<off_t>(mpg123_length(length_reader), 0) / double(rate);
    }
    mpg123_delete(length_reader);
    return found;
}

// The playing time as a player states it: from an encoder's header, unless it
// states clearly more than the frames hold in a file that is not cut short,
// which only a forged frame count does; then from the frames.
double track_seconds(decode_report& report, const unsigned char* bytes, uint32_t size)
{
    const lengths found = measure(bytes, size);
    if (found.header == 0.0)
        return found.frames;
    if (found.header > found.frames * header_slack && !shorter_than_stated(bytes, size)) {
        report.header_seconds = found.header;
        return found.frames;
    }
    return found.header;
}

// Decodes the file chunk by chunk to stereo 16-bit at the file's own rate.
// Made anew for every file: reopened, it keeps enough of the file before to
// decode the next one differently.
mpg123_handle* open_feed()
{
    mpg123_handle* feed_decoder = new_quiet_decoder();
    if (feed_decoder) {
        const long* rates;
        size_t rate_count;
        mpg123_rates(&rates, &rate_count);
        mpg123_format_none(feed_decoder);
        for (size_t i = 0; i < rate_count; ++i)
            mpg123_format(feed_decoder, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);
    }
    if (feed_decoder && mpg123_open_feed(feed_decoder) != MPG123_OK) {
        mpg123_delete(feed_decoder);
        feed_decoder = nullptr;
    }
    return feed_decoder;
}

// Feeds fixed chunks from the first byte, whatever the frame boundaries; a
// final short chunk is left out. With a sink, decodes everything into it,
// resampled to 44,100 Hz; without one, only says whether the decoder finds a
// frame at all, stopping at the first.
bool feed_chunks(mp3_decoder& d, mpg123_handle* feed_decoder, const unsigned char* bytes, uint32_t size, pcm_sink* sink)
{
    auto& out = d.out;
    for (uint32_t at = 0; size - at >= mp3_block_bytes; at += mp3_block_bytes) {
        ++d.report.chunks_fed;
        mpg123_feed(feed_decoder, bytes + at, mp3_block_bytes);
        for (;;) {
            size_t done = 0;
            const int status = mpg123_read(feed_decoder, out, sizeof out, &done);
            if (status == MPG123_NEW_FORMAT) {
                if (!sink)
                    return true;
                long rate;
                int channels, encoding;
                mpg123_getformat(feed_decoder, &rate, &channels, &encoding);
                start_resampling(d.resampling, rate);
            }
            if (sink)
                resample(d.resampling, out[0], uint32_t(done / 4), *sink);
            if (status != MPG123_NEW_FORMAT && (status != MPG123_OK || done == 0))
                break;
        }
    }
    return false;
}
}

uint32_t decode_track(mp3_decoder& decoder, music_track& track, const unsigned char* bytes, uint32_t size)
{
    decoder.report = {};
    const uint32_t start = decode_start(bytes, size, size);
    bytes += start;
    size -= start;
    // A header may claim any length; the file cannot decode to more than its bytes allow.
    track.duration = std::min(track_seconds(decoder.report, bytes, size), size / lowest_bytes_per_second);
    track.pcm_bytes = uint32_t(std::min(std::trunc(track.duration * pcm_bytes_per_second), double(UINT32_MAX)));
    track.pcm = static_cast<unsigned char*>(std::calloc(track.pcm_bytes, 1));
    if (!track.pcm)
        track.pcm_bytes = 0;
    mpg123_handle* feed_decoder = open_feed();
    if (!feed_decoder)
        return track_failed;
    start_resampling(decoder.resampling, 44100);
    pcm_sink sink{track.pcm, track.pcm_bytes, 0};
    feed_chunks(decoder, feed_decoder, bytes, size, &sink);
    mpg123_delete(feed_decoder);
    decoder.report.decoded_bytes = sink.offered;
    return track_ok;
}

bool holds_mp3_frame(mp3_decoder& decoder, const unsigned char* bytes, uint32_t size, uint64_t file_size)
{
    decoder.report = {};
    const uint32_t start = decode_start(bytes, size, file_size);
    mpg123_handle* feed_decoder = open_feed();
    const bool found = feed_decoder && feed_chunks(decoder, feed_decoder, bytes + start, size - start, nullptr);
    mpg123_delete(feed_decoder);
    return found;
}

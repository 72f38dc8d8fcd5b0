// Loading the music: every track is decoded in full at start-up into 16-bit
// stereo PCM at 44,100 Hz, so that a switch during the show costs nothing.
#pragma once
#include <cstdint>

#include "music/resample.h"
#include "shared/state.h"

constexpr uint32_t mp3_block_bytes = 522; // the file is fed to the decoder in chunks of this size
constexpr uint32_t pcm_bytes_per_second = 176400;
// No track of a show needs more than a few tens of megabytes: a larger file is
// refused before it is read, so that junk cannot stall start-up or fill memory.
constexpr uint32_t max_music_file_mib = 256;
// A larger file is read on only when its first this many MiB after any ID3v2
// tag hold an MP3 frame.
constexpr uint32_t probe_mib = 4;

// Status of load_track and decode_track.
constexpr uint32_t track_ok = 0;
constexpr uint32_t track_failed = 0x80004005; // no decoder, or the file could not be read

// One relative path per entry: "Music/" + name + ".mp3".
extern const char* const track_paths[entry_count];

// What a decode saw, for the message about a bad file.
struct decode_report {
    uint32_t chunks_fed;    // mp3_block_bytes chunks given to the decoder
    uint64_t decoded_bytes; // PCM bytes the decoder produced, including any beyond pcm_bytes
    double header_seconds;  // what an encoder header claimed when the frames hold clearly less, else 0
};

// One track's decoding, owned by whoever decodes it: tracks decode side by
// side, each with its own. About 130 KiB; start it zeroed.
struct mp3_decoder {
    decode_report report;   // of the last decode
    resampler resampling;
    int16_t out[4096][2];   // decoded frames before their conversion
    char said[512];         // the line about the file load_track read last, or empty
};

// Loads track_paths[k] into track_table[k] for every entry, on as many
// threads as there are cores; the lines about bad files come in entry order.
void load_tracks();
// load_tracks on a thread of its own, so that start-up goes on meanwhile;
// wait_for_tracks joins it. Nothing may read track_table in between.
void start_loading_tracks();
void wait_for_tracks();
// The same from the files of those names in `dir`. When none of them can be
// read at all every track stays silent without a line a file, and the result
// is false, so that the caller can say so once.
bool load_tracks_from(const char* dir);
// Reads the whole file and decodes it. A missing or bad file leaves a
// playable, possibly empty, buffer and one line in decoder.said naming the file.
uint32_t load_track(mp3_decoder& decoder, music_track& track, const char* path);
// Sets duration from the file's header (or a scan of its frames when it has
// none, or when it claims clearly more than its frames hold although the file
// is whole), allocates pcm_bytes = trunc(duration x 176,400) zero-filled bytes
// with malloc, and fills them with whatever the file decodes to.
uint32_t decode_track(mp3_decoder& decoder, music_track& track, const unsigned char* bytes, uint32_t size);
// Whether the decoder, fed as decode_track feeds it, finds any MP3 frame in
// these first bytes of a file of file_size bytes.
bool holds_mp3_frame(mp3_decoder& decoder, const unsigned char* bytes, uint32_t size, uint64_t file_size);

// Conversion of decoded audio at any MPEG sample rate to the show's 44,100 Hz.
#pragma once
#include <cstdint>

// The track buffer being filled; bytes beyond capacity are counted and dropped.
struct pcm_sink {
    unsigned char* pcm;
    uint32_t capacity;
    uint64_t offered;
};

// Starts a stream at this input rate (one of the MPEG rates, 8,000 to 48,000 Hz).
void start_resampling(long rate);
// Appends count interleaved stereo frames, converted to 44,100 Hz.
void resample(const int16_t* frames, uint32_t count, pcm_sink& sink);

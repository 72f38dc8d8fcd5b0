// Conversion of decoded audio at any MPEG sample rate to the show's 44,100 Hz.
#pragma once
#include <cstdint>

// The track buffer being filled; bytes beyond capacity are counted and dropped.
struct pcm_sink {
    unsigned char* pcm;
    uint32_t capacity;
    uint64_t offered;
};

constexpr int resample_max_phases = 441; // 44,100 / gcd(rate, 44,100) for every MPEG rate
constexpr int resample_ring_size = 64;   // input frames kept; at least the widest filter

struct resample_filter {
    long rate; // 0 until built
    int phases, step, half_width, taps;
    float kernel[resample_max_phases][resample_ring_size];
};

// One stream's conversion; each decoder owns one, so tracks convert side by side.
struct resampler {
    resample_filter filter; // for the stream's rate, kept for the next stream at that rate
    bool active;            // false at 44,100 Hz
    // Every input frame is stored twice, so any window of taps frames is contiguous.
    float ring[2 * resample_ring_size][2];
    int64_t frames_in;  // input frames seen
    int64_t frames_out; // output frames made
};

// Starts a stream at this input rate (one of the MPEG rates, 8,000 to 48,000 Hz).
void start_resampling(resampler& r, long rate);
// Appends count interleaved stereo frames, converted to 44,100 Hz.
void resample(resampler& r, const int16_t* frames, uint32_t count, pcm_sink& sink);

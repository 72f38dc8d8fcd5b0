// The show's shared state: the noise block whose head is the frame constants,
// the compiled shaders, the decoded tracks and the back-buffer width.
#pragma once
#include <cstdint>

constexpr int randdata_bytes = 1048576;
constexpr int frame_constant_count = 16384; // 64 KiB of floats
constexpr int shader_slots = 38;            // the composite, then one per entry
constexpr int track_slots = 44;             // 0 ... 36 used, the rest stay empty
constexpr int entry_count = 37;
constexpr int column_width = 768;
constexpr int frame_height = 1080;

// One block seen three ways: fillrand writes words, the frame code reads and
// writes floats in its first 64 KiB, the noise volume reads bytes.
union noise_block {
    unsigned char bytes[randdata_bytes];
    uint32_t words[randdata_bytes / 4];
    float frame_constants[frame_constant_count];
};
alignas(16) extern noise_block randdata;
inline float* const frame_constants = randdata.frame_constants;

// Which float of frame_constants is which. The shaders see the first 28 as the
// seven float4 c, p, wat, B, I, xts, mu (mapped in graphics/shaders/prefix.hlsl).
enum : int {
    slot_time = 0,          // c.x, show time in seconds
    slot_previous_time = 1, // c.y
    slot_pass_value = 2,    // c.z: 0 current entry, 1 next, column offset for the composite
    slot_feed_position = 3, // c.w, in entries
    slot_zoom = 4,          // p.x, of the entry being drawn
    slot_time_offset = 5,   // p.y, of the entry being drawn
    slot_tracks = 6,        // sync tracks 0 ... 16 land in slots 6 ... 22
    slot_target = 6,
    slot_rate = 7,
    slot_even_zoom = 8, // entries with an even number
    slot_even_offset = 9,
    slot_odd_zoom = 10, // entries with an odd number
    slot_odd_offset = 11,
    slot_gain = 20, // sync tracks 14 ... 16, read by the composite
    slot_blur = 21,
    slot_gamma = 22,
    slot_beat_phase = 24,    // mu.x, of the track heard: 0 ... 1 through each beat
    slot_bar_phase = 25,     // mu.y: 0 ... 1 through each bar
    slot_tempo = 26,         // mu.z, beats a minute
    slot_track_seconds = 27, // mu.w, how far into the track
};

// Where each shader sits in shader_table (and each text in a source table,
// whose slot 0 holds the prefix instead).
constexpr int composite_slot = 0;
constexpr int entry_slot(int entry) { return entry + 1; }
constexpr int entry_of_slot(int slot) { return slot - 1; }

// Opaque handle of a compiled compute shader; only graphics/ looks inside.
struct gpu_shader;
extern gpu_shader* shader_table[shader_slots];

// True when slot n holds a shader; every slot outside 0 ... 37 is empty.
inline bool shader_slot_filled(int n) { return n >= 0 && n < shader_slots && shader_table[n] != nullptr; }

// Which slots hold a shader, as a value the feed's planning reads.
struct filled_slots {
    bool slot[shader_slots];
};
filled_slots slots_filled();
// The slot whose effect draws entry e (0 ... 36, clamped): its own, or where
// that is empty the nearest filled entry slot below it; -1 when none is.
int slot_drawing(int e, const filled_slots& filled);

struct music_track {
    uint32_t pcm_bytes;
    double duration;
    unsigned char* pcm; // interleaved 16-bit stereo at 44,100 Hz
};
extern music_track track_table[track_slots];

// The texture of the music heard that the effects may read: a row of
// audio_bins texels for its spectrum, one for its waveform.
constexpr int audio_bins = 512;
constexpr int audio_rows = 2;
constexpr int audio_texels = audio_bins * audio_rows;

extern int W; // back-buffer width in pixels

// The left edge of the centred column in a back buffer `width` pixels wide;
// negative where the column is the wider.
constexpr int column_left(int width) { return (width - column_width) / 2; }

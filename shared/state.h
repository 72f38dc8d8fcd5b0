// The show's shared state: the noise block whose head is the frame constants,
// the compiled shaders, the decoded tracks and the back-buffer width.
#pragma once
#include <cstdint>

constexpr int randdata_bytes = 1048576;
constexpr int frame_constant_count = 16384; // 64 KiB of floats
constexpr int shader_slots = 38;            // slot 0 composite, slot e + 1 entry e
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

// Opaque handle of a compiled compute shader; only graphics/ looks inside.
struct gpu_shader;
extern gpu_shader* shader_table[shader_slots];

// True when slot n holds a shader; every slot outside 0 ... 37 is empty.
inline bool shader_slot_filled(int n) { return n >= 0 && n < shader_slots && shader_table[n] != nullptr; }

struct music_track {
    uint32_t pcm_bytes;
    double duration;
    unsigned char* pcm; // interleaved 16-bit stereo at 44,100 Hz
};
extern music_track track_table[track_slots];

extern int W; // back-buffer width in pixels

// What effects hear of the music: a spectrum row and a waveform row of the
// track at a moment, made from that moment alone so that a frame's texture
// never depends on the frames drawn before it.
#pragma once
#include <cstdint>

#include "shared/state.h"

// Rows of audio_bins texels (shared/state.h): 0 the spectrum, 1 the waveform.
constexpr int audio_window = 2 * audio_bins; // samples a transform reads: bin k is k x 43.07 Hz
constexpr int audio_hop = 512;               // between the transforms a spectrum is smoothed over
constexpr int audio_hops = 12;               // each one back weighs audio_decay times the one after it
constexpr double audio_decay = 0.8;
constexpr double audio_floor_db = -90, audio_ceiling_db = -20; // the spectrum's 0 and 1

// Plans the transform; once, before the first audio_texture.
void start_audio_analysis();
// `track` heard from its first sample for `sample` samples (44,100 a second):
// row 0 the magnitude of each bin of the Hann-windowed last audio_window
// samples, averaged over the audio_hops windows ending audio_hop apart
// before it (the newest weighing most), in dB from the floor (0) to the
// ceiling (1); row 1 the last audio_bins samples, left and right together,
// 0.5 at rest. Before the track and after its end it is silent.
void audio_texture(const music_track& track, int64_t sample, float texels[audio_texels]);

// Playback of the decoded tracks: one buffer at a time, from its start, with
// a switch whenever the entry nearest the middle of the feed changes. The
// authoring tools' calls are in music/authoring.h.
#pragma once
#include <cstdint>

#include "shared/state.h"

extern int current_track; // index into track_table of the track last selected; 0 at start

// Starts the music: queues track and opens the default audio output (or, after
// use_recorder(), none). Without an audio device the show runs silent.
void play_track(const music_track& track);
// Called every frame: a different index stops the music and, while the show
// clock is live, restarts it on track_table[n] from its first sample.
void select_track(int n);
// Fills out with the next bytes of 16-bit stereo 44,100 Hz sound: the queued
// buffer's next whole 4-byte frames, then silence. The audio device's
// callback and a recording both take their sound from here.
void pull_samples(unsigned char* out, uint32_t bytes);

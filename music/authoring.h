// What the authoring tools do with the music beyond the show's playback:
// record it instead of playing it, seek within a track, silence it, and
// replay the track choice from the show's start.
#pragma once

#include "music/playback.h"

// Recording instead of playing, for the capture tool: call use_recorder()
// before play_track, then drive select_track as the show does and pull the
// soundtrack with pull_samples, 44,100 / fps frames per video frame.
void use_recorder();
// Queues track from seconds on. An offset at or past the end plays the last
// 16 bytes; a switch hands over a pointer and a length and copies nothing.
void restart_track(const music_track& track, double seconds);
// Silences the output.
void stop_playback();
// The track choice as the show starts, on entry 0's music, before the feed
// is stepped again from row 0; what plays is left as it is.
void restart_track_choice();

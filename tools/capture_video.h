// Encoding the captured show to a video file with its soundtrack, through the
// ffmpeg command.
#pragma once
#include "tools/frame_rate.h"

// Starts ffmpeg writing `path` (H.264 High of width x height, both rounded up
// to even, at `rate`, tagged BT.709 limited range; AAC stereo) fed through two
// pipes. False, after a line on stderr, when ffmpeg is missing or cannot
// start.
bool open_video(const char* path, int width, int height, const frame_rate& rate);
// One frame, as to_yuv420 writes it, then its sound.
bool write_video_frame(const unsigned char* yuv, const unsigned char* sound, unsigned sound_bytes);
// Closes the pipes and waits for ffmpeg to finish the file. True on success.
bool close_video();

// Encoding the captured show to a video file with its soundtrack, through the
// ffmpeg command.
#pragma once

// Starts ffmpeg writing `path` (H.264 video of width x height at fps, AAC
// audio) fed through two pipes. False, after a line on stderr, when ffmpeg
// is missing or cannot start.
bool open_video(const char* path, int width, int height, double fps);
// One frame: width x height x 3 bytes of RGB, top row first, then its sound.
bool write_video_frame(const unsigned char* rgb, const unsigned char* sound, unsigned sound_bytes);
// Closes the pipes and waits for ffmpeg to finish the file. True on success.
bool close_video();

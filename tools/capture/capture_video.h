// Encoding the captured show to a video file with its soundtrack, through the
// ffmpeg command.
#pragma once
#include <string>

#include "tools/common/frame_rate.h"

// Starts ffmpeg writing `path` (H.264 High of width x height, both rounded up
// to even, at `rate`, tagged BT.709 limited range; AAC stereo) from frames fed
// through a pipe and the soundtrack in `sound` (16-bit stereo at 44,100 Hz,
// read from its start). The sound is whole before the first frame, so that
// neither input ever waits on the other, whatever the rate. False, after a
// line on stderr, when ffmpeg is missing or cannot start. A part has no
// sound (-1); a soundtrack alone has no pictures (width 0). `tag`, when
// given, is the file's comment.
bool open_video(const char* path, int width, int height, const frame_rate& rate, int sound,
                const std::string& tag = "");
// One frame, as to_yuv420 writes it. After a stop signal, a pipe that does
// not take the rest of the frame within half a second is given up on.
bool write_video_frame(const unsigned char* yuv);
// Ends the frames and waits for ffmpeg to finish the file. True when ffmpeg
// ended well, reported nothing wrong and left a file; else false after one
// line with its reason and how much of the file there is.
bool close_video();

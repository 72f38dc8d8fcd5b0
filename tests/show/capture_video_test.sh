#!/usr/bin/env bash
# Capturing the show to video: a file ffprobe reads with the frames, size and
# sound expected; Ctrl-C keeping a playable file; a clear word without ffmpeg
# or without a Vulkan driver.
# usage: capture_video_test.sh CAPTURE_BINARY MUSIC_DIR
set -u
capture=$1 music=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
cd "$work" && ln -s "$music" Music
probe() { ffprobe -v error -count_frames -show_entries stream=codec_type,width,height,nb_read_frames -of csv=p=0 "$1"; }

# Rows 400 to 408 at 10 fps: 11 frames, 1.1 s of sound.
"$capture" -o clip.mp4 --from 400 --to 408 --fps 10 --width 800 2>"$work/err" || fail "capture failed: $(cat "$work/err")"
streams=$(probe clip.mp4)
echo "$streams" | grep -qx 'video,800,1080,11' || fail "video stream: $streams"
echo "$streams" | grep -q '^audio' || fail "no audio stream: $streams"
seconds=$(ffprobe -v error -select_streams a -show_entries stream=duration -of csv=p=0 clip.mp4)
python3 -c "import sys; sys.exit(abs($seconds - 1.1) > 0.05)" || fail "sound lasts $seconds s"
# The sound is the show's: track 14 plays at row 400, not silence.
peak=$(ffmpeg -nostats -i clip.mp4 -af volumedetect -f null - 2>&1 | sed -n 's/.*max_volume: \(-*[0-9.]*\) dB/\1/p')
python3 -c "import sys; sys.exit(not $peak > -40)" || fail "silent soundtrack (peak $peak dB)"

# Interrupted: what was rendered stays playable.
"$capture" -o cut.mkv --from 400 --fps 10 --width 768 2>/dev/null &
pid=$!
for _ in $(seq 300); do [ -s cut.mkv ] && [ "$(stat -c %s cut.mkv)" -gt 20000 ] && break; sleep 0.2; done
kill -INT $pid
wait $pid
[ $? -ne 0 ] || fail "an interrupted capture reported success"
frames=$(probe cut.mkv | grep '^video' | cut -d, -f4)
[ "${frames:-0}" -gt 0 ] || fail "interrupted capture is not playable"

# No ffmpeg on the PATH.
PATH=/nonexistent "$capture" -o x.mp4 --from 400 --to 401 2>err && fail "no ffmpeg, yet success"
grep -q 'install the Debian package ffmpeg' err || fail "no word on installing ffmpeg: $(cat err)"

# No Vulkan driver at all: one line, exit 1.
VK_ICD_FILENAMES=/nonexistent.json "$capture" --at 1 -o f.png 2>err
code=$?
[ $code -eq 1 ] && [ "$(wc -l <err)" -eq 1 ] || fail "without a driver: exit $code, $(cat err)"
echo "capture to video: ok"

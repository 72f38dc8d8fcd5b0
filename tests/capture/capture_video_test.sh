#!/usr/bin/env bash
# Capturing the show to video: a file ffprobe reads with the frames, size and
# sound expected; colour tags, keyframes and the index in front; known flat
# colours at their BT.709 values; Ctrl-C keeping a playable file; a clear word
# without ffmpeg or without a Vulkan driver.
# usage: capture_video_test.sh CAPTURE_BINARY MUSIC_DIR PREFIX_HLSL FIXTURE_TIMELINE
set -u
capture=$1 music=$2 prefix=$3 timeline=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
cd "$work" && ln -s "$music" Music
probe() { ffprobe -v error -count_frames -show_entries stream=codec_type,width,height,nb_read_frames -of csv=p=0 "$1"; }

# Rows 120 to 128 of the tests' own timeline at 10 fps: 1 s, 10 frames (128 is the
# next range's first) and 1.0 s of sound.
"$capture" -o clip.mp4 --from 120 --to 128 --fps 10 --width 800 --frame-times times.tsv --timeline "$timeline" \
    2>"$work/err" ||
    fail "capture failed: $(cat "$work/err")"
streams=$(probe clip.mp4)
echo "$streams" | grep -qx 'video,800,1080,10' || fail "video stream: $streams"
# A header, then one line of render time per frame: row, entry (5 rests
# there), milliseconds.
awk -F'\t' 'NR == 1 { bad = $0 != "row\tentry\tms"; next } NF != 3 || $2 != 5 || !($3 > 0) || ($1 - 120 - (NR - 2) * 0.8) ^ 2 > 1e-6 { bad = 1 } END { exit bad || NR != 11 }' times.tsv ||
    fail "frame times: $(cat times.tsv)"
echo "$streams" | grep -q '^audio' || fail "no audio stream: $streams"
seconds=$(ffprobe -v error -select_streams a -show_entries stream=duration -of csv=p=0 clip.mp4)
python3 -c "import sys; sys.exit(abs($seconds - 1.0) > 0.05)" || fail "sound lasts $seconds s"
# The sound is the show's: track 5 plays at row 120, not silence.
peak=$(ffmpeg -nostats -i clip.mp4 -af volumedetect -f null - 2>&1 | sed -n 's/.*max_volume: \(-*[0-9.]*\) dB/\1/p')
python3 -c "import sys; sys.exit(not $peak > -40)" || fail "silent soundtrack (peak $peak dB)"

# Tagged BT.709 limited range, High profile, the index (moov) before the data.
tags=$(ffprobe -v error -select_streams v -show_entries stream=profile,pix_fmt,color_range,color_space,color_transfer,color_primaries -of csv=p=0 clip.mp4)
[ "$tags" = "High,yuv420p,tv,bt709,bt709,bt709" ] || fail "video tags: $tags"
python3 -c "import sys; d = open('clip.mp4', 'rb').read(); sys.exit(not 0 < d.find(b'moov') < d.find(b'mdat'))" ||
    fail "the index is not in front"
channels=$(ffprobe -v error -select_streams a -show_entries stream=codec_name,channels -of csv=p=0 clip.mp4)
[ "$channels" = "aac,2" ] || fail "sound stream: $channels"

# A composite that paints six flat bands across the column: black, white,
# grey 512, red, green, blue. Only the column, at 60000/1001 fps from a row
# between two frame times: 8 frames and 8 / 59.94 s of both streams.
mkdir bands
sed 's|float3 result = (preview_scale > 1 \&\& sync_out_gamma == 1 ? colour : pow(colour, sync_out_gamma)) \* sync_out_gain;|float3 result = t.x < 128 ? 0 : t.x < 256 ? 1 : t.x < 384 ? 512.0 / 1023 : float3(t.x < 512, t.x >= 512 \&\& t.x < 640, t.x >= 640);|' \
    "$prefix" >bands/prefix.hlsl
grep -q 't.x < 128 ?' bands/prefix.hlsl || fail "the composite's last line has changed; update this test"
"$capture" -o bands.mp4 --from 1 --to 2 --fps 60000/1001 --column --shader-dir bands 2>"$work/err" ||
    fail "column capture failed: $(cat "$work/err")"
streams=$(probe bands.mp4)
echo "$streams" | grep -qx 'video,768,1080,8' || fail "column video stream: $streams"
[ "$(ffprobe -v error -select_streams v -show_entries stream=r_frame_rate -of csv=p=0 bands.mp4)" = 60000/1001 ] ||
    fail "frame rate is not 60000/1001"
for kind in v a; do
    seconds=$(ffprobe -v error -select_streams $kind -show_entries stream=duration -of csv=p=0 bands.mp4)
    python3 -c "import sys; sys.exit(abs($seconds - 8 * 1001 / 60000) > 0.01)" || fail "stream $kind lasts $seconds s"
done
ffmpeg -v error -i bands.mp4 -frames:v 1 -f rawvideo -pix_fmt yuv420p bands.yuv || fail "cannot decode bands.mp4"
python3 - <<'CHECK' || fail "flat colours came out wrong"
import sys
d = open("bands.yuv", "rb").read()
w, h = 768, 1080
want = [(16, 128, 128), (235, 128, 128), (126, 128, 128), (63, 102, 240), (173, 42, 26), (32, 240, 118)]
for band, (y, u, v) in enumerate(want):
    x = band * 128 + 64
    got = (d[540 * w + x], d[w * h + 270 * (w // 2) + x // 2], d[w * h * 5 // 4 + 270 * (w // 2) + x // 2])
    if any(abs(a - b) > 1 for a, b in zip(got, (y, u, v))):
        sys.exit(print("band", band, "is", got, "not", (y, u, v)))
CHECK

# Keyframes a second apart: 10 fps over 3 s of rows starts three GOPs.
"$capture" -o keys.mp4 --from 400 --to 424 --fps 10 --width 768 --column 2>"$work/err" || fail "capture failed: $(cat "$work/err")"
keys=$(ffprobe -v error -select_streams v -skip_frame nokey -show_entries frame=pts_time -of csv=p=0 keys.mp4 | wc -l)
[ "$keys" -ge 3 ] || fail "$keys keyframes in 3 s"

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

#!/usr/bin/env bash
# A range rendered as 3 parts and a soundtrack, joined, against a single render
# of it: the same frame count and duration, the same decoded sound sample for
# sample, every picture within the encoder's noise (PSNR of at least 40 dB;
# the pictures are drawn alike, only the encoder's choices across the cuts
# differ). Parts missing, foreign or unfinished, and a foreign soundtrack,
# are refused by name with nothing written.
# usage: capture_parts_test.sh CAPTURE_BINARY MUSIC_DIR
set -u
capture=$1 music=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
cd "$work" && ln -s "$music" Music

# 30 frames at 10000/1001 fps from a row between two of the show's frames, so
# the parts' frames lie where the single render's do and not on the show's
# grid, and the rate must come through the join exact.
range=(--from 120.4 --to 144.4 --fps 10000/1001 --width 64 --column)
"$capture" "${range[@]}" -o single.mp4 2>err || fail "single render: $(cat err)"
for k in 1 2 3; do
    "$capture" "${range[@]}" --part $k/3 -o p$k.mp4 2>err || fail "part $k: $(cat err)"
done
"$capture" "${range[@]}" --sound-only sound.wav 2>err || fail "soundtrack: $(cat err)"
[ "$(ffprobe -v error -show_entries stream=codec_type -of csv=p=0 p2.mp4)" = video ] || fail "a part has sound"
"$capture" --join p1.mp4 p2.mp4 p3.mp4 --sound sound.wav -o joined.mp4 2>err || fail "join: $(cat err)"

streams() { ffprobe -v error -count_frames -show_entries stream=codec_type,nb_read_frames,duration,r_frame_rate,color_space,color_range -of csv=p=0 "$1"; }
[ "$(streams joined.mp4)" = "$(streams single.mp4)" ] || fail "streams: $(streams joined.mp4) against $(streams single.mp4)"
streams joined.mp4 | grep -q '^video,tv,bt709,10000/1001,3.003000,30$' || fail "joined video: $(streams joined.mp4)"
[ -z "$(ffprobe -v error -show_entries format_tags=comment -of csv=p=0 joined.mp4)" ] || fail "the parts' tag was kept"
python3 -c "import sys; d = open('joined.mp4', 'rb').read(); sys.exit(not 0 < d.find(b'moov') < d.find(b'mdat'))" ||
    fail "the index is not in front"
sound() { ffmpeg -v error -i "$1" -map 0:a -f s16le - | md5sum; }
[ "$(sound joined.mp4)" = "$(sound single.mp4)" ] || fail "the joined sound differs from the single render's"
ffmpeg -v error -i joined.mp4 -i single.mp4 -lavfi '[0:v][1:v]psnr=stats_file=psnr.log' -f null - || fail "cannot compare"
worst=$(sed 's/.*psnr_avg:\([^ ]*\).*/\1/' psnr.log | sort -g | head -1)
[ "$(wc -l <psnr.log)" -eq 30 ] || fail "$(wc -l <psnr.log) frames compared"
python3 -c "import sys; sys.exit(not float('$worst') >= 40)" || fail "a frame differs: PSNR $worst dB"

# refused NAMED ARGS...: exit 1, the line names NAMED, and no file is left.
refused() {
    local named=$1
    shift
    "$capture" --join "$@" -o out.mp4 2>err && fail "joined $*"
    grep -qF -- "$named" err || fail "join $*: $(cat err)"
    [ -z "$(ls out.mp4* 2>/dev/null)" ] || fail "join $* left $(ls out.mp4*)"
}
refused 'part 2/3 (frames from 10 on) is missing before p3.mp4' p1.mp4 p3.mp4 --sound sound.wav
refused 'part 3/3 (frames from 20 on) is missing after p2.mp4' p1.mp4 p2.mp4 --sound sound.wav
refused 'p2.mp4 is part 2/3 again, or out of order' p1.mp4 p2.mp4 p2.mp4 p3.mp4 --sound sound.wav
refused 'single.mp4 is not a part made by swipemix-capture --part' p1.mp4 single.mp4 p3.mp4 --sound sound.wav
refused 'gone.mp4: No such file or directory' p1.mp4 gone.mp4 p3.mp4 --sound sound.wav
# A part of a wider render, and one cut short as a stopped render leaves it.
tag=$(ffprobe -v error -show_entries format_tags=comment -of default=nw=1:nk=1 p3.mp4)
ffmpeg -v error -i p3.mp4 -c copy -metadata comment="${tag/width 64/width 96}" wide.mp4 || fail "cannot retag"
refused 'wide.mp4 is a part of another render (rows 120.4-144.4 at 10000/1001 fps, width 96, column' p1.mp4 p2.mp4 wide.mp4 --sound sound.wav
ffmpeg -v error -i p2.mp4 -c copy -frames:v 5 short.mp4 || fail "cannot cut"
refused 'short.mp4 holds 5 frames of its 10: it was not finished' p1.mp4 short.mp4 p3.mp4 --sound sound.wav
refused 'p1.mp4 is not a soundtrack' p1.mp4 p2.mp4 p3.mp4 --sound p1.mp4
ffmpeg -v error -i sound.wav -c copy -metadata comment="swipemix-capture soundtrack of rows 0-24 at 10/1 fps" other.wav
refused 'other.wav is the soundtrack of rows 0-24 at 10/1 fps' p1.mp4 p2.mp4 p3.mp4 --sound other.wav
echo "joined 3 parts: 30 frames, the same sound, worst PSNR $worst dB"

#!/usr/bin/env bash
# An effect that hears its music (tests/fixtures/hear_the_music.hlsl, a disc
# that swells with the bass and flashes on each beat) in place of entry 0,
# whose music is a generated piece with the grid its generator wrote: the
# video comes out the same, frame for frame and sample for sample, every
# time; its flashes fall on the frames of the beats swipemix-timeline --beats
# names; and a frame sequence, which has no sound, hears the music as well.
# usage: capture_hears_music_test.sh CAPTURE MUSIC_GENERATOR TIMELINE_TOOL SOURCE_DIR
set -u
capture=$1 generator=$2 inspector=$3 source=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

mkdir shaders Music
cp "$source/tests/fixtures/hear_the_music.hlsl" shaders/e00.hlsl
"$generator" 1 | lame --quiet - Music/01-first-light.mp3 && "$generator" --beats 1 || fail "the test's music"
# The feed held at entry 0, so its music plays throughout.
awk '/^track / { target = $2 == "feed:target" }
     target && $1 ~ /^[0-9]+$/ { $2 = 0; $3 = "step" }
     { print }' "$source/timeline/show.timeline" >held.timeline
range=(--from 8 --to 24 --fps 30 --width 768 --shader-dir shaders --timeline held.timeline)

for run in 1 2; do
    "$capture" -o run$run.mkv "${range[@]}" 2>err || fail "capture $run: $(cat err)"
    ffmpeg -loglevel error -i run$run.mkv -f framemd5 - | grep -v '^#' >run$run.md5
done
[ "$(grep -c '^0,' run1.md5)" -eq 60 ] || fail "60 frames expected, $(grep -c '^0,' run1.md5) made"
cmp -s run1.md5 run2.md5 || fail "two renders differ: $(diff run1.md5 run2.md5 | head -4)"

"$inspector" --beats --timeline held.timeline --fps 30 --from 8 --to 24 >beats || fail "the beats"
ffmpeg -loglevel error -i run1.mkv -vf scale=48:68,format=gray -fps_mode passthrough -f rawvideo video.gray || fail "decoding"
"$capture" -o frames --from 8 --to 16 --fps 30 --width 768 --shader-dir shaders --timeline held.timeline 2>err ||
    fail "frames: $(cat err)"
python3 - <<'PY' || exit 1
import csv, glob, subprocess
beats = [float(r["row"]) for r in csv.DictReader(open("beats"))]
assert len(beats) >= 3, f"beats: {beats}"
data = open("video.gray", "rb").read()
size = 48 * 68
light = [sum(data[k * size:(k + 1) * size]) / size for k in range(len(data) // size)]
frame_of = lambda row: round((row - 8) * 30 / 8 + 0.5 - 1e-9)  # the first frame at or after the row
period = (beats[1] - beats[0]) * 30 / 8
on = [light[frame_of(b)] for b in beats if frame_of(b) + period / 2 < len(light)]
off = [light[round(frame_of(b) + period / 2)] for b in beats if frame_of(b) + period / 2 < len(light)]
print("on the beats", [round(x) for x in on], "half a beat later", [round(x) for x in off])
assert all(a > b + 20 for a, b in zip(on, off)), "the flashes are not on the beats"
# The frame sequence: the same flashes, though nothing of it is heard.
def grey(path):
    return sum(subprocess.run(["ffmpeg", "-loglevel", "error", "-i", path, "-vf", "scale=48:68,format=gray", "-f",
                               "rawvideo", "-"], capture_output=True, check=True).stdout) / size
first = int(8 * 30 / 8)
seq = {int(p[-9:-4]) - first: grey(p) for p in glob.glob("frames/frame_*.png")}
hits = [(seq[frame_of(b)], seq[round(frame_of(b) + period / 2)]) for b in beats if round(frame_of(b) + period / 2) in seq]
assert hits and all(a > b + 20 for a, b in hits), f"the frame sequence's flashes: {hits}"
PY
echo "capture: the music heard the same in every render, its flashes on the beats"

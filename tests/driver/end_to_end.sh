#!/usr/bin/env bash
# The show in a real X server: covers the screen, draws the centred column,
# plays track 0 from its first sample, and ends on Escape with code 0.
# usage: end_to_end.sh SHOW_BINARY FROZEN_SHOW_BINARY MUSIC_DIR SCREEN(WxH)
set -u
show=$1 frozen=$2 music=$3 screen=$4
width=${screen%x*} height=${screen#*x}
. "$(dirname "$0")/../x_session.sh"
ended() { wait $pid; fail "$1 with code $?"; }
start_x "$screen"
cd "$work" && ln -s "$music" Music

"$show" 2>"$work/stderr" &
pid=$!
find_window
geometry=$(xdotool getwindowgeometry --shell "$wid")
eval "$geometry"
[ "$WIDTH" = "$width" ] && [ "$HEIGHT" = "$height" ] || fail "window is ${WIDTH}x${HEIGHT}, screen $screen"

# The window appears before start-up has compiled and decoded everything, so
# look until the show lights its column edge to edge; nothing may light outside it.
for _ in $(seq 90); do
    ffmpeg -loglevel error -f x11grab -video_size "$screen" -i "$display" -frames:v 1 -y "$work/shot.png" ||
        fail "no screenshot"
    python3 - "$work/shot.png" "$width" "$height" <<'PY'
import subprocess, sys
png, w, h = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
raw = subprocess.run(["ffmpeg", "-loglevel", "error", "-i", png, "-f", "rawvideo", "-pix_fmt", "gray", "-"],
                     capture_output=True, check=True).stdout
back = w * 1080 // h                      # back-buffer width
column = 768 * w / back                   # the column's width on screen
left = (w - column) / 2
cols = [x for x in range(w) if any(raw[y * w + x] > 8 for y in range(0, h, 4))]
right = left + column - 1
if cols and (cols[0] < left - 3 or cols[-1] > right + 3):
    print("lit", cols[0], "to", cols[-1], "outside the column a back buffer of width", back, "puts at", left, "to", right)
    sys.exit(2)
if not cols or cols[0] > left + 3 or cols[-1] < right - 3:
    sys.exit(1)                           # not drawn yet, or dark at an edge
print("back buffer", back, "column", round(column), "lit", cols[0], "to", cols[-1])
PY
    status=$?
    [ $status -eq 0 ] && break
    [ $status -eq 2 ] && fail "column not centred as expected"
    kill -0 $pid 2>/dev/null || ended "show ended early"
    sleep 2
done
[ ${status:-1} -eq 0 ] || fail "no full column drawn"

# Escape ends the show within a frame or two.
# Keys go through XTEST to the focused window, as a keyboard's would.
xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool mousemove --window "$wid" 10 10
quit_with_escape 5

# The sound device heard track 0 from its first sample.
python3 - "$work/audio.raw" "$music" <<'PY' || fail "recorded audio does not start with track 0"
import array, glob, subprocess, sys
rec = array.array("h", open(sys.argv[1], "rb").read())
track0 = sorted(glob.glob(sys.argv[2] + "/*.mp3"))[0]
ref = array.array("h", subprocess.run(["ffmpeg", "-loglevel", "error", "-i", track0, "-t", "3", "-f", "s16le",
                                       "-ac", "2", "-ar", "44100", "-"], capture_output=True, check=True).stdout)
onset = lambda a: next(i for i, v in enumerate(a) if abs(v) > 300)
r, f = onset(rec), onset(ref)
assert r < 44100 * 2 * 0.1, "the recording starts late: %d samples of silence" % (r // 2)
n = 44100
sig = sum(v * v for v in ref[f:f + n]) or 1
err = min(sum((a - b) ** 2 for a, b in zip(rec[r + d:r + d + n], ref[f:f + n])) for d in range(-8, 9, 2))
snr = 10 * __import__("math").log10(sig / max(err, 1))
print("first sound after", r // 2, "frames; SNR against track 0: %.1f dB" % snr)
assert snr > 20
PY

# A clock frozen past the end ends the show after its first frame.
"$frozen" 2>/dev/null &
pid=$!
for _ in $(seq 600); do kill -0 $pid 2>/dev/null || break; sleep 0.2; done
kill -0 $pid 2>/dev/null && fail "frozen-past-the-end show still running"
wait $pid || fail "frozen show exit code $?"
echo "end to end on $screen: ok"

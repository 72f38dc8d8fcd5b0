#!/usr/bin/env bash
# The studio's tools in a real X server: a click on the strip seeks, the wheel
# steps, F12 writes the shot the capture tool would, never over an earlier
# one, Ctrl+R renders the loop to a video with the loop's frames and sound, or
# without a loop the entry's stay, a second Ctrl+R is refused, and SIGTERM
# mid-render stops it and leaves a playable file named for what it holds.
# usage: tools_end_to_end.sh STUDIO_BINARY CAPTURE_BINARY SOURCE_DIR MUSIC_DIR
set -u
studio=$1 capture=$2 source=$3 music=$4
. "$(dirname "$0")/../x_session.sh"
start_x
studio_files "$source" "$music"
mkdir "$work/out"

# Frames and the video and audio streams' durations of a video file.
frames() { ffprobe -v error -count_frames -select_streams v -show_entries stream=nb_read_frames -of csv=p=0 "$1"; }
duration() { ffprobe -v error -select_streams "$2" -show_entries stream=duration -of csv=p=0 "$1"; }

"$studio" --shader-dir "$work/shaders" --timeline "$work/show.timeline" --shots "$work/out" 2>"$work/stderr" &
pid=$!
studio_window
xdotool key Tab space # the strip back on screen, the show held
sleep 1

# Row 300 lies 300/1712 of the way along the strip, at the window's bottom.
read -r width height < <(xdotool getwindowgeometry --shell "$wid" | awk -F= '/WIDTH|HEIGHT/ { printf "%s ", $2 }')
xdotool mousemove --window "$wid" $(((300 * width + 856) / 1712)) $((height - 8)) click 1
xdotool key F12
said "shot $work/out/swipemix-row0300.00.png" 60 || fail "a click at row 300 and F12 wrote no shot of row 300"
# The window's shot at the same row, and a second column shot: each a name of its own.
xdotool key shift+F12
said "shot $work/out/swipemix-row0300.00-window.png" 60 || fail "Shift+F12 at row 300 had no name of its own"
xdotool key F12
said "shot $work/out/swipemix-row0300.00-2.png" 60 || fail "a second F12 at row 300 did not take the next free name"
"$capture" --at 300 --column --shader-dir "$work/shaders" --timeline "$work/show.timeline" -o "$work/capture.png" \
    2>/dev/null || fail "the capture failed"
for png in swipemix-row0300.00.png swipemix-row0300.00-2.png; do
    cmp -s "$work/out/$png" "$work/capture.png" || fail "$png differs from the capture's frame"
done
[ "$(ffprobe -v error -show_entries stream=width,height -of csv=p=0 "$work/out/swipemix-row0300.00-window.png")" = \
  "$((1080 * width / height)),1080" ] || fail "Shift+F12 did not write the whole back buffer"

xdotool click 5 # the wheel: one row on
xdotool key F12
said "shot $work/out/swipemix-row0301.00.png" 60 || fail "the wheel did not step to row 301"

# A loop of 4 rows (half a second, 30 frames at 60 fps).
xdotool key bracketleft Right Right Right Right bracketright ctrl+r
video=$work/out/swipemix-rows0301.00-0305.00.mp4
said "rendering $video" 30 || fail "Ctrl+R did not start a render of the loop"
said "rendered $video" 300 || fail "the render did not finish"
[ "$(frames "$video")" = 30 ] || fail "the loop's video has $(frames "$video") frames, not 30"
for stream in v a; do
    d=$(duration "$video" $stream)
    awk -v d="$d" 'BEGIN { exit !(d > 0.45 && d < 0.56) }' || fail "the $stream stream lasts $d s, not 0.5"
done

# Without a loop, at row 689 on entry 20, the render is entry 20's stay
# there, not from an earlier glimpse of it at row 560; a second Ctrl+R while
# it runs is refused, and SIGTERM midway stops it, the file named for what it holds.
xdotool key backslash
xdotool mousemove --window "$wid" $(((689 * width + 856) / 1712)) $((height - 8)) click 1
sleep 1
xdotool key ctrl+r
for _ in $(seq 150); do [ "$(grep -c 'swipemix-studio: rendering ' "$work/stderr")" -ge 2 ] && break; sleep 0.2; done
[ "$(grep -c 'swipemix-studio: rendering ' "$work/stderr")" -ge 2 ] || fail "Ctrl+R without a loop did not start a render"
stay=$(sed -n 's/.*swipemix-studio: rendering .*swipemix-rows\([0-9.]*\)-\([0-9.]*\)\.mp4$/\1 \2/p' "$work/stderr" | tail -1)
read -r from to <<<"$stay"
awk -v f="$from" -v t="$to" 'BEGIN { exit !(f > 600 && f <= 689 && t > 689) }' ||
    fail "at row 689 the render took rows $from to $to, not entry 20's stay there"
xdotool key ctrl+r
said "a render is already running" 10 || fail "a second Ctrl+R was not refused"
for _ in $(seq 300); do [ -s "$(ls -d "$work"/out/.swipemix-rows* 2>/dev/null | head -1)" ] && break; sleep 0.2; done
sleep 3
kill -TERM $pid
for _ in $(seq 600); do kill -0 $pid 2>/dev/null || break; sleep 0.05; done
kill -0 $pid 2>/dev/null && fail "still running 30 s after SIGTERM"
wait $pid
code=$?
[ $code -eq 143 ] || fail "SIGTERM ended the studio with code $code"
pgrep -f "swipemix-capture.*$work/out" >/dev/null && fail "the render still runs after the studio ended"
ls -a "$work/out" | grep -q '^\.swipemix' && fail "the render's temporary file was left behind"
held=$(sed -n 's/.*swipemix-studio: stopped: \(.*\) holds the \([0-9]*\) frames rendered$/\1 \2/p' "$work/stderr")
read -r long n <<<"$held"
[ -n "$long" ] || fail "the stopped render was not named"
ffmpeg -v error -i "$long" -f null - 2>"$work/decode" || fail "the stopped render does not play"
[ -s "$work/decode" ] && fail "decoding the stopped render: $(head -3 "$work/decode")"
[ "$(frames "$long")" = "$n" ] || fail "$long holds $(frames "$long") frames, not the $n it says"
[ "$(basename "$long")" = "$(awk -v f="$from" -v n="$n" 'BEGIN { printf "swipemix-rows%07.2f-%07.2f.mp4", f, f + n * 8 / 60 }')" ] ||
    fail "$long is not named for the $n frames it holds from row $from"
echo "studio tools: strip click, wheel, shots equal to the capture and never replaced, loop render, the stay's render, refused second render, SIGTERM stops the render, named for what it holds"

#!/usr/bin/env bash
# The studio's tools in a real X server: a click on the strip seeks, the wheel
# steps, F12 writes the shot the capture tool would, Ctrl+R renders the loop
# to a video with the loop's frames and sound, a second Ctrl+R is refused, and
# quitting mid-render leaves a playable file.
# usage: tools_end_to_end.sh STUDIO_BINARY CAPTURE_BINARY SOURCE_DIR MUSIC_DIR
set -u
studio=$1 capture=$2 source=$3 music=$4
. "$(dirname "$0")/../x_session.sh"
start_x
studio_files "$source" "$music"
mkdir "$work/out"

# Waits up to $2 seconds for a line matching $1 on the studio's stderr.
said() {
    for _ in $(seq $(($2 * 5))); do
        grep -q "$1" "$work/stderr" && return 0
        kill -0 $pid 2>/dev/null || return 1
        sleep 0.2
    done
    return 1
}

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
"$capture" --at 300 --column --shader-dir "$work/shaders" --timeline "$work/show.timeline" -o "$work/capture.png" \
    2>/dev/null || fail "the capture failed"
cmp -s "$work/out/swipemix-row0300.00.png" "$work/capture.png" || fail "the shot differs from the capture's frame"

xdotool click 5 # the wheel: one row on
xdotool key shift+F12
said "shot $work/out/swipemix-row0301.00.png" 60 || fail "the wheel did not step to row 301"
[ "$(ffprobe -v error -show_entries stream=width,height -of csv=p=0 "$work/out/swipemix-row0301.00.png")" = \
  "$((1080 * width / height)),1080" ] || fail "Shift+F12 did not write the whole back buffer"

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

# A longer loop, a second Ctrl+R while it runs, then quitting midway.
xdotool key backslash Home bracketleft shift+Right shift+Right shift+Right shift+Right bracketright ctrl+r
long=$work/out/swipemix-rows0000.00-0032.00.mp4
said "rendering $long" 30 || fail "the second render did not start"
xdotool key ctrl+r
said "a render is already running" 10 || fail "a second Ctrl+R was not refused"
for _ in $(seq 300); do [ -s "$long" ] && break; sleep 0.2; done
sleep 3
quit_with_escape
ffmpeg -v error -i "$long" -f null - 2>"$work/decode" || fail "the stopped render does not play"
[ -s "$work/decode" ] && fail "decoding the stopped render: $(head -3 "$work/decode")"
n=$(frames "$long")
[ "$n" -gt 0 ] && [ "$n" -lt 240 ] || fail "the stopped render holds $n frames"
pgrep -f "swipemix-capture.*$long" >/dev/null && fail "the render still runs after the studio quit"
echo "studio tools: strip click, wheel, shots equal to the capture, loop render, refused second render, stopped render plays"

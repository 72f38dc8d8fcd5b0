#!/usr/bin/env bash
# The strip as a timeline in a real X server: + zooms it and - brings back the
# very picture it had, . and , step from beat to beat and back, and a double
# click on the strip draws a loop there that a single click does not. Drawn at
# full scale only, so that each settled picture is the exact one.
# usage: strip_end_to_end.sh STUDIO_BINARY MUSIC_DIR
set -u
studio=$1 music=$2
. "$(dirname "$0")/../x_session.sh"
start_x

# A budget no frame exceeds: a row's cost keeps its colour on the strip however often it is drawn.
"$studio" --row 382 --paused --preview 1 --budget 10000 --music "$music" 2>"$work/stderr" &
pid=$!
studio_window
xdotool key Tab # the display and the strip back on
whole=$(settled) || fail "no steady frame with the strip"

xdotool key equal
zoomed=$(changed_from "$whole" 60) || fail "+ did not zoom the strip"
zoomed=$(settled)
xdotool key minus
[ "$(settled)" = "$whole" ] || fail "- did not give back the whole show's strip"

# The picture above the strip, where each row drawn leaves its cost in the strip.
above_strip() {
    settled >/dev/null
    ffmpeg -loglevel error -f x11grab -video_size "$screen" -i "$display" -frames:v 1 -vf crop=iw:ih*3/4:0:0 \
        -f rawvideo -pix_fmt gray - | md5sum | cut -d' ' -f1
}
xdotool key period
changed_from "$whole" 60 >/dev/null || fail ". did not move to a beat"
on_beat=$(above_strip)
xdotool key period
[ "$(above_strip)" != "$on_beat" ] || fail "the second . did not move on"
xdotool key comma
[ "$(above_strip)" = "$on_beat" ] || fail ", did not go back to the beat before"

# The strip is the window's lowest eighth: a click seeks, a double click there also loops that music's stay.
xdotool mousemove --window "$wid" 700 700 click 1
clicked=$(settled) || fail "no steady frame after a click on the strip"
xdotool click --repeat 2 --delay 60 1
changed_from "$clicked" 60 >/dev/null || fail "a double click on the strip drew no loop"

quit_with_escape
echo "strip: zoomed and back, stepped by beats, looped a stay with a double click"

#!/usr/bin/env bash
# ./run's way without a display, with a stand-in for the capture: each render
# gets a name of its own and an earlier video is never started over; a
# display that no server answers is named, and sends ./run the same way.
# usage: render_show_test.sh SOURCE_DIR
set -u
source_dir=$1
source "$source_dir/tests/x_session.sh"
cd "$work" || exit 1

cat >capture <<'STUB'
#!/bin/sh
# Writes the video -o names, refusing an existing one as the capture does.
[ "$1" = -o ] && [ ! -e "$2" ] && echo "video" >"$2"
STUB
chmod +x capture
echo "an hour of rendering" >swipemix.mp4
cp swipemix.mp4 first
"$source_dir/tools/render-show" ./capture "No display found" >out || fail "render-show failed: $(cat out)"
"$source_dir/tools/render-show" ./capture "No display found" >>out || fail "render-show failed: $(cat out)"
cmp -s swipemix.mp4 first || fail "the earlier video was touched"
[ -s swipemix-2.mp4 ] && [ -s swipemix-3.mp4 ] || fail "renders: $(ls)"
grep -q '^No display found: rendering the show to swipemix-3.mp4 instead, as swipemix.mp4 exists' out ||
    fail "no word on the name: $(cat out)"

# A display number no server holds, then a live one.
for n in $(seq 150 250); do [ -e /tmp/.X11-unix/X$n ] || break; done
why=$(DISPLAY=:$n "$source_dir/tools/display-answers") && fail "display :$n answered"
[ "$why" = "The display DISPLAY=:$n cannot be reached" ] || fail "dead display: $why"
start_x 320x240
"$source_dir/tools/display-answers" || fail "the live display $DISPLAY does not answer"
echo "render without a display: ok"

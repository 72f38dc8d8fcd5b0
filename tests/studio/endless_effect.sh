#!/usr/bin/env bash
# An effect that never finishes, saved while the studio holds row 8: the
# studio names it; fixing the file brings it back at the same row, paused,
# with the rows' costs measured so far; and
# Escape ends it at once while an effect runs on, closing a render in progress
# so that its file plays once the studio is gone.
# usage: endless_effect.sh STUDIO_BINARY SOURCE_DIR MUSIC_DIR
set -u
studio=$1 source=$2 music=$3
. "$(dirname "$0")/../x_session.sh"
start_x
studio_files "$source" "$music"
endless() {
    cat >"$work/shaders/e00.hlsl" <<'HLSL'
void ya(out float4 colour, float2 position)
{
    uint k = 0;
    [loop] while (asuint(position.x) != 0x7fc00001u)
        k++;
    colour = float4(k, 0, 0, 1);
}
HLSL
}
mkdir "$work/out"
"$studio" --shader-dir "$work/shaders" --timeline "$work/show.timeline" --row 8 --paused --shots "$work/out" \
    2>"$work/stderr" &
pid=$!
studio_window
before=$(settled) || fail "no steady frame at row 8"

# Entry 0 is on screen at row 8.
endless
said "entry 0 (e00.hlsl) does not finish" 120 || fail "the endless effect was not named"
cp "$source/graphics/shaders/e00.hlsl" "$work/shaders/e00.hlsl"
said "starting afresh at row 8, paused" 60 || fail "fixing the effect did not restart the studio"
kill -0 $pid 2>/dev/null || fail "the studio ended instead of starting afresh"
# The same process (X may give its new window the old one's id); Tab hides its display as before.
said "drawing on" 120 2 || fail "the restarted studio did not start its device"
# The rows' costs measured before the restart go along, so the strip keeps its colours.
costs=$(tr '\0' '\n' </proc/$pid/cmdline | sed -n '/^--costs$/{n;p;}')
[ -n "$costs" ] || fail "the restart left the rows' costs behind"
[ "$(wc -l <"/proc/$pid/fd/${costs##*/}")" -gt 1 ] || fail "the costs taken along hold no row"
sleep 3
find_window
xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool mousemove --window "$wid" 10 10
xdotool key Tab
# A quick still may come first; the exact one must be the picture of before.
back=0
for _ in $(seq 120); do [ "$(shot)" = "$before" ] && back=1 && break; sleep 0.5; done
[ $back = 1 ] || fail "the studio came back elsewhere than row 8, paused"

# A render of entry 0, under way with the good effect before the endless one is saved.
xdotool key ctrl+r
said "rendering " 30 || fail "the render did not start"
# The video is written under a hidden name until it is whole.
for _ in $(seq 600); do [ -s "$(ls -d "$work"/out/.swipemix-rows* 2>/dev/null | head -1)" ] && break; sleep 0.2; done
[ -s "$(ls -d "$work"/out/.swipemix-rows* 2>/dev/null | head -1)" ] || fail "the render wrote nothing"
endless
said "entry 0 (e00.hlsl) does not finish" 120 2 || fail "the endless effect was not named after the restart"
start=$(date +%s%N)
quit_with_escape 30
echo "studio: an endless effect named, fixed in place, and Escape quit in $((($(date +%s%N) - start) / 1000000)) ms"
pgrep -f -- "-o $work/out/" >/dev/null && fail "the render still runs after the studio is gone"
video=$(sed -n 's/.*swipemix-studio: stopped: \(.*\.mp4\) holds the [0-9]* frames rendered$/\1/p' "$work/stderr")
[ -s "$video" ] || fail "the render stopped by Escape was not kept: $(grep "render" "$work/stderr" | tail -1)"
ffmpeg -v error -i "$video" -f null - 2>"$work/decode" || fail "the render stopped by Escape does not play"
[ -s "$work/decode" ] && fail "the render stopped by Escape decodes with errors: $(head -1 "$work/decode")"
exit 0

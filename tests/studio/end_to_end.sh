#!/usr/bin/env bash
# The studio in a real X server: a save while it starts is seen, Space holds
# the frame, Right moves it, saving an effect or the timeline changes the
# picture, a broken effect is reported, Escape quits with code 0.
# usage: end_to_end.sh STUDIO_BINARY SOURCE_DIR MUSIC_DIR
set -u
studio=$1 source=$2 music=$3
. "$(dirname "$0")/../x_session.sh"
start_x
studio_files "$source" "$music"

"$studio" --shader-dir "$work/shaders" --timeline "$work/show.timeline" 2>"$work/stderr" &
pid=$!
# A save while the effects compile at start (they are read once the device runs) is not lost.
for _ in $(seq 600); do grep -q "drawing on" "$work/stderr" && break; sleep 0.1; done
echo "// saved while the studio starts" >>"$work/shaders/e00.hlsl"
studio_window
for _ in $(seq 300); do grep -q "e00.hlsl recompiled" "$work/stderr" && break; sleep 0.2; done
grep -q "e00.hlsl recompiled" "$work/stderr" || fail "a save while the studio started was lost"
# Its notice names the file and stays a while; the frames below are held without it.
for _ in $(seq 300); do grep -q "e00.hlsl reloaded" "$work/stderr" && break; sleep 0.2; done
grep -q "e00.hlsl reloaded" "$work/stderr" || fail "the reload's notice did not name its file"
sleep 7

# Held at row 16: the fade-in of the first rows is too dark for a step to show.
xdotool key space Home shift+Right shift+Right
held=$(settled) || fail "Space did not hold the frame"
sleep 2
[ "$(shot)" = "$held" ] || fail "the held frame changed"

xdotool key Right
moved=$(settled) || fail "no steady frame after Right"
[ "$moved" != "$held" ] || fail "Right did not change the picture"

# Entry 0 is on screen at row 8, past the fade-in; a flat red replaces it.
xdotool key Home shift+Right
home=$(settled) || fail "no steady frame at row 8"
echo 'void ya(out float4 o, float2 h) { o = float4(1, 0, 0, 1); }' >"$work/shaders/e00.hlsl"
red=$(changed_from "$home" 240) || fail "saving e00.hlsl did not change the picture"
red=$(settled)

echo 'void ya(out float4 o, float2 h) { o = float4(1, 0, 0 1); }' >"$work/shaders/e00.hlsl"
changed_from "$red" 60 >/dev/null || fail "a broken e00.hlsl put nothing on screen"
grep -q "e00.hlsl line 1 (entry 0 and the composite)" "$work/stderr" || fail "no compiler message for the broken effect"

# Gain 0 from row 5 blacks out the picture, whatever the effect.
before=$(settled)
sed -i '/^track out:gain/,/^$/s/^  5 1 step/  5 0 step/' "$work/show.timeline"
changed_from "$before" 60 >/dev/null || fail "saving the timeline did not change the picture"
grep -q "show.timeline" "$work/stderr" && fail "the edited timeline was refused"

quit_with_escape
echo "studio: a save at start seen, held, stepped, reloaded effect and timeline, reported a broken effect, quit"

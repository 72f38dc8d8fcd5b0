#!/usr/bin/env bash
# What the studio says when things go wrong, in a real X server: a shot that
# cannot be written gives the reason under the studio's own name; a statement
# run on for want of a ';' plays, with a warning naming its line; an effect
# file that cannot be read is said to be so while the last good shader plays on.
# usage: faults_end_to_end.sh STUDIO_BINARY SOURCE_DIR MUSIC_DIR
set -u
studio=$1 source=$2 music=$3
. "$(dirname "$0")/../x_session.sh"
start_x
studio_files "$source" "$music"
"$studio" --shader-dir "$work/shaders" --timeline "$work/show.timeline" --row 8 --paused --shots "$work/no-such-folder" \
    2>"$work/stderr" &
pid=$!
studio_window
home=$(settled) || fail "no steady frame at row 8"

xdotool key F12
said "swipemix-studio: no shot: .*No such file or directory" 60 || fail "a shot that cannot be written gave no reason"
grep -q "swipemix-capture:" "$work/stderr" && fail "the studio's shot failure is labelled as the capture's"

# Entry 0 is on screen at row 8: a flat red, its third line run on into the fourth.
cat >"$work/shaders/e00.hlsl" <<'HLSL'
void ya(out float4 colour, float2 position)
{
    float red = 1
    -0.0;
    colour = float4(red, 0, 0, 1);
}
HLSL
red=$(changed_from "$home" 240) || fail "the run-on effect did not play"
said "e00.hlsl line 3 (entry 0" 60 || fail "no warning on the run-on line"
said "e00.hlsl recompiled" 60 || fail "a text with a warning was not taken"

# A FIFO moved in as e00.hlsl: reading it would wait for ever; it is refused and said.
mkfifo "$work/fifo"
mv "$work/fifo" "$work/shaders/e00.hlsl"
said "e00.hlsl is not a plain file" 60 || fail "an unreadable effect file was not reported"
[ "$(grep -c "e00.hlsl recompiled" "$work/stderr")" -eq 1 ] || fail "an unreadable file counted as recompiled"

# Fixed: compiled again, and the frame comes back.
rm "$work/shaders/e00.hlsl"
echo 'void ya(out float4 o, float2 h) { o = float4(0, 1, 0, 1); }' >"$work/shaders/e00.hlsl"
said "e00.hlsl recompiled" 120 2 || fail "the fixed file was not recompiled"
quit_with_escape
echo "studio faults: shot failure with its reason, run-on warning, unreadable effect reported"

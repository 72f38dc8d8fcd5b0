#!/usr/bin/env bash
# The studio's messages, keys and A/B view in a real X server: an effect file
# no entry reads is named, a shared effect's error is said once with the
# entries it breaks, F1 and ? show the keys, End goes to the show's end, and
# D after a save shows the frame as before it (exactly), their difference
# (black where nothing changed) and the frame as now.
# usage: keys_and_compare.sh STUDIO_BINARY SOURCE_DIR MUSIC_DIR [PNG_DIR]
set -u
studio=$1 source=$2 music=$3 pngs=${4:-}
. "$(dirname "$0")/../x_session.sh"
start_x
studio_files "$source" "$music"

# keep NAME: the screen as NAME.png in PNG_DIR, when one is given.
keep() {
    [ -n "$pngs" ] || return 0
    mkdir -p "$pngs"
    ffmpeg -loglevel error -y -f x11grab -video_size "$screen" -i "$display" -frames:v 1 "$pngs/$1.png"
}

# Pixels that are not black in the middle of the column.
lit_in_column() {
    ffmpeg -loglevel error -f x11grab -video_size "$screen" -i "$display" -frames:v 1 -vf crop=160:300:560:120 \
        -f rawvideo -pix_fmt gray - | tr -d '\000' | wc -c
}

# becomes HASH SECONDS: waits for the picture to be HASH; frames take seconds on a busy machine.
becomes() {
    for _ in $(seq $(($2 * 5))); do
        [ "$(shot)" = "$1" ] && return 0
        sleep 0.2
    done
    return 1
}


cp "$work/shaders/e00.hlsl" "$work/shaders/e99.hlsl"
"$studio" --shader-dir "$work/shaders" --timeline "$work/show.timeline" --row 8 --paused --shots "$work" \
    2>"$work/stderr" &
pid=$!
studio_window
said "e99.hlsl is read by no entry: unused" 60 || fail "an effect file no entry reads was not named"
sleep 7 # its notice leaves the column
held=$(settled) || fail "no steady frame at row 8"

# The help, from the bindings, over the picture; the same key hides it.
xdotool key F1
changed_from "$held" 60 >/dev/null || fail "F1 showed nothing"
help=$(settled)
keep help
xdotool key F1
becomes "$held" 60 || fail "F1 again did not hide the help"
xdotool key question
becomes "$help" 60 || fail "? did not show the same help as F1"
xdotool key question
becomes "$held" 60 || fail "? again did not hide the help"

# End, then a shot names the row the frame is at.
xdotool key End F12
said "swipemix-row1712.00.png" 60 || fail "End did not go to the show's end"
xdotool key Home shift+Right
becomes "$held" 120 || fail "not back at row 8"

# D before any save compares nothing, and says so.
xdotool key d
said "nothing saved yet" 30 || fail "D before a save said nothing"

# A save that changes nothing drawn: before is the frame held, the difference black.
echo "// a comment" >>"$work/shaders/e00.hlsl"
said "e00.hlsl reloaded" 240 || fail "the reload did not name its file"
sleep 7 # the notice leaves the column
xdotool key d
becomes "$held" 60 || fail "D: the frame before the save is not the one held"
sleep 3 # the A/B view draws it twice, the second time as the exact still owed
xdotool key d
changed_from "$held" 60 >/dev/null || fail "D: no difference view"
settled >/dev/null
[ "$(lit_in_column)" -eq 0 ] || fail "D: the difference of equal frames is not black"
xdotool key d
becomes "$held" 60 || fail "D: not back to the frame as now"

# A red effect: now red, before as held, the difference lit.
echo 'void ya(out float4 o, float2 h) { o = float4(1, 0, 0, 1); }' >"$work/shaders/e00.hlsl"
changed_from "$held" 240 >/dev/null || fail "saving e00.hlsl did not change the picture"
said "e00.hlsl reloaded" 240 2 || fail "the red effect's reload was not said"
sleep 8 # the notice leaves the column
red=$(settled)
xdotool key d
becomes "$held" 60 || fail "D: the frame before the red save is not the one held"
xdotool key Tab
settled >/dev/null
keep compare-before
xdotool key d
settled >/dev/null
keep compare-difference
xdotool key Tab
settled >/dev/null
[ "$(lit_in_column)" -gt 1000 ] || fail "D: the difference of red and the entry is dark"
xdotool key d
becomes "$red" 60 || fail "D: not back to the red frame"

# A shared effect broken: said once, by file and line, with both entries.
echo 'void ya(out float4 o, float2 h) { o = float4(1, 0, 0 1); }' >"$work/shaders/e11.hlsl"
said "e11.hlsl line 1 (entries 11 and 21)" 240 || fail "the shared effect's error was not named by file and entries"
sleep 3
[ "$(grep -c "did not compile" "$work/stderr")" -eq 1 ] || fail "the shared effect's error was said more than once"
keep compile-error

quit_with_escape
echo "studio: unused file named, help on F1 and ?, End, A/B before/difference/now, a shared error said once"

#!/usr/bin/env bash
# The hang watch on a busy machine: while the studio plays, a render of its
# loop and other work take the cores, and its frames come late; it must not
# take that for an effect that never finishes.
# usage: busy_machine.sh STUDIO_BINARY SOURCE_DIR MUSIC_DIR
set -u
studio=$1 source=$2 music=$3
. "$(dirname "$0")/../x_session.sh"
start_x
studio_files "$source" "$music"
mkdir "$work/out"
busy=()
stop_busy() { [ ${#busy[@]} -gt 0 ] && kill "${busy[@]}" 2>/dev/null; busy=(); }
trap 'stop_busy; end_session' EXIT

"$studio" --shader-dir "$work/shaders" --timeline "$work/show.timeline" --row 300 --loop 300:340 --shots "$work/out" \
    2>"$work/stderr" &
pid=$!
studio_window
xdotool key ctrl+r
for _ in $(seq 150); do grep -q "rendering " "$work/stderr" && break; sleep 0.2; done
grep -q "rendering " "$work/stderr" || fail "the render did not start"
# Four times as many busy tasks as cores, for 20 s: each frame waits its turn.
for _ in $(seq $((4 * $(nproc)))); do
    (while :; do :; done) &
    busy+=($!)
done
sleep 20
stop_busy
kill -0 $pid 2>/dev/null || fail "the studio ended"
grep -q "does not finish" "$work/stderr" && fail "a busy machine was taken for an endless effect: $(grep "does not finish" "$work/stderr")"
quit_with_escape 60
echo "studio on a busy machine: a render and $((4 * $(nproc))) busy tasks, no false alarm"

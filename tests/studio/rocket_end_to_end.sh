#!/usr/bin/env bash
# The studio linked to the scripted editor in a real X server: it asks for the
# tracks, follows the editor's pause and cursor, shows a changed key, writes
# the timeline on the save command, moves the editor's cursor with its own
# steps and tells the editor when the author resumes.
# usage: rocket_end_to_end.sh STUDIO_BINARY EDITOR_SCRIPT SOURCE_DIR MUSIC_DIR
set -u
studio=$1 editor_script=$2 source=$3 music=$4
. "$(dirname "$0")/../x_session.sh"
trap 'kill ${ED_PID:-} 2>/dev/null; end_session' EXIT
start_x
cp "$source/timeline/show.timeline" "$work/show.timeline"
cd "$work" && ln -s "$music" Music

port=$((20000 + $$ % 20000))
coproc ED { exec "$editor_script" $port "$work/show.timeline"; }
# Waits for a line from the editor starting with $1; gives up after $2 seconds.
heard() {
    local line
    while read -r -t "$2" -u "${ED[0]}" line; do
        case $line in "$1"*) return 0 ;; error*) fail "editor: $line" ;; esac
    done
    return 1
}
tell() { echo "$*" >&"${ED[1]}"; }

"$studio" --rocket 127.0.0.1:$port --timeline "$work/show.timeline" 2>"$work/stderr" &
pid=$!
heard "tracks 17" 120 || fail "the studio did not ask for the 17 tracks"
studio_window

tell pause 1
tell row 200
held=$(settled) || fail "the editor's pause did not hold the frame"

# Gain 0 from row 5 on blacks the picture out.
sent=$(date +%s%N)
tell key 14 5 0 0
changed_from "$held" 60 >/dev/null || fail "the editor's key did not change the picture"
echo "key change to new picture: $((($(date +%s%N) - sent) / 1000000)) ms (screenshots every 0.2 s)"

tell save
for _ in $(seq 50); do [ -f "$work/show.timeline.bak" ] && break; sleep 0.2; done
cmp -s "$work/show.timeline.bak" "$source/timeline/show.timeline" || fail "no backup of the previous timeline"
sed -n '/^track out:gain/,/^$/p' "$work/show.timeline" | grep -q '^  5 0 step' ||
    fail "the saved timeline lacks the editor's key"

xdotool key shift+Right
heard "row 208" 30 || fail "the editor's cursor did not follow a step in the studio"
xdotool key space
heard "pause 0" 30 || fail "the editor did not hear the author resume"
heard "row" 30 || fail "the editor heard no rows while playing"

quit_with_escape
tell quit
echo "studio with editor: tracks asked, pause and row followed, key shown, saved, resume told"

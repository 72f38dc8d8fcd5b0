#!/usr/bin/env bash
# A paused studio at rest: started paused at a preview scale it draws the
# quick frame and then the exact one, presents nothing more while nothing
# changes, and draws again (quick, then exact) after a key. Bad start options
# get one line and exit 2.
# usage: idle_end_to_end.sh STUDIO_BINARY
set -u
studio=$1
. "$(dirname "$0")/../x_session.sh"

for args in "--row 1713" "--row" "--loop 9:5" "--preview 3" "--budget 0"; do
    "$studio" $args >/dev/null 2>"$work/err"
    code=$?
    [ $code -eq 2 ] || fail "'$args' exited with $code, not 2"
    [ "$(wc -l <"$work/err")" -eq 1 ] && grep -q -- "${args%% *}" "$work/err" || fail "'$args' said: $(cat "$work/err")"
done

start_x
"$studio" --row 400 --paused --preview 4 2>"$work/stderr" &
pid=$!
find_window

# The counts the studio prints on SIGUSR1: frames presented, exact stills.
counts() {
    local before
    before=$(grep -c ' presented (the last' "$work/stderr")
    kill -USR1 $pid
    for _ in $(seq 50); do
        [ "$(grep -c ' presented (the last' "$work/stderr")" -gt "$before" ] && break
        sleep 0.1
    done
    grep ' presented (the last' "$work/stderr" | tail -1 | awk '{print $2, $12}'
}
# Waits for `n` exact stills and prints the counts then.
exact_stills() {
    local now
    for _ in $(seq 120); do
        kill -0 $pid 2>/dev/null || return 1
        now=$(counts)
        [ "${now#* }" -ge "$1" ] && { echo "$now"; return 0; }
        sleep 1
    done
    return 1
}

first=$(exact_stills 1) || fail "no exact still after starting paused (counts: $(counts))"
[ "${first% *}" -ge 2 ] || fail "the exact still came without a quick frame first: $first"
sleep 4
[ "$(counts)" = "$first" ] || fail "presented frames while paused with nothing changing: $first, then $(counts)"

xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool mousemove --window "$wid" 10 10
# A key that means nothing, and a modifier alone, leave the still as it is.
xdotool key x shift ctrl
sleep 3
[ "$(counts)" = "$first" ] || fail "an unbound key or a lone modifier drew again: $first, then $(counts)"
xdotool key Right
second=$(exact_stills 2) || fail "Right drew no new exact still (counts: $(counts))"
[ "${second% *}" -ge $((${first% *} + 2)) ] || fail "Right drew no quick frame before the exact one: $first, then $second"

quit_with_escape

# Started paused at full scale: the exact still alone, counted in words that fit the number.
"$studio" --row 400 --paused --preview 1 2>"$work/stderr" &
pid=$!
find_window
exact_stills 1 >/dev/null || fail "no exact still at full scale (counts: $(counts))"
line=$(grep ' presented (the last' "$work/stderr" | tail -1)
case "$line" in
"swipemix-studio: 1 frame presented "*", 1 exact still, "*) ;;
"swipemix-studio: 1 "* | *" 1 exact stills, "*) fail "the count reads: $line" ;;
esac
quit_with_escape
echo "studio idle: quick then exact stills, nothing drawn at rest or for an unbound key, redrawn after a key; counts in words; bad options rejected"

#!/usr/bin/env bash
# A show that cannot reach its display says so and ends with code 1, once the
# work it began at its start (decoding, compiles, the caption atlas) has ended:
# a thread left running ends the process in std::terminate instead.
# usage: no_display.sh SHOW_BINARY MUSIC_DIR
set -u
show=$1 music=$2
. "$(dirname "$0")/../x_session.sh"
cd "$work" && ln -s "$music" Music
for n in $(seq 150 250); do [ -e /tmp/.X11-unix/X$n ] || break; done
DISPLAY=:$n SDL_VIDEODRIVER= WAYLAND_DISPLAY= "$show" 2>"$work/stderr"
code=$?
[ $code -eq 1 ] || fail "the show ended with code $code"
grep -q "cannot reach the display :$n" "$work/stderr" || fail "the show did not name the display"
echo "no display: ok"

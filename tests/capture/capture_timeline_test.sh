#!/usr/bin/env bash
# swipemix-capture --timeline: an edited timeline plays without a rebuild, and
# one the build would refuse is refused the same way.
# usage: capture_timeline_test.sh CAPTURE_BINARY SOURCE_DIR
set -u
capture=$1 source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# The feed's target held at entry 6 (every key of it, at its own row, set to 6):
# every frame plays entry 6 (the frame-times file names each frame's entry).
awk '/^track / { target = $2 == "feed:target" }
     target && $1 ~ /^[0-9]+$/ { $2 = 6; $3 = "step" }
     { print }' "$source/timeline/show.timeline" >"$work/held.timeline"
"$capture" --timeline "$work/held.timeline" --from 40 --to 41 --fps 8 --width 768 -o "$work/seq" \
    --frame-times "$work/times" 2>"$work/err" || fail "an edited timeline did not render: $(cat "$work/err")"
# The frame-times file: a header line, then a line per frame.
[ "$(tail -n +2 "$work/times" | cut -f2 | sort -u)" = 6 ] || fail "held at entry 6, the frames played entries $(tail -n +2 "$work/times" | cut -f2 | sort -u | xargs)"

# The built-in timeline plays entry 2 there: the option is what changed it.
"$capture" --from 40 --to 41 --fps 8 --width 768 -o "$work/seq2" --frame-times "$work/times2" 2>/dev/null
[ "$(tail -n +2 "$work/times2" | cut -f2 | sort -u)" != 6 ] || fail "the built-in timeline also plays entry 6 at row 40"

# 3.01 entries is no whole multiple of the target's 1/64: the strict packer's message and exit 2.
sed 's/^0 6 step/0 3.01 step/' "$work/held.timeline" >"$work/bad.timeline"
grep -q '^0 3.01 step' "$work/bad.timeline" || fail "the test could not write its unstorable key"
"$capture" --timeline "$work/bad.timeline" --at 8 -o "$work/f.png" 2>"$work/err"
code=$?
[ $code -eq 2 ] || fail "an unstorable key exited with $code, not 2"
grep -q "bad.timeline: .*feed:target.*not a whole multiple" "$work/err" || fail "no packer message: $(cat "$work/err")"
[ -e "$work/f.png" ] && fail "a refused timeline still wrote a picture"
"$capture" --timeline "$work/none.timeline" --at 8 -o "$work/f.png" 2>"$work/err"
[ $? -eq 2 ] && grep -q "none.timeline: cannot be read" "$work/err" || fail "a missing timeline file was not refused clearly"
echo "capture --timeline: ok"

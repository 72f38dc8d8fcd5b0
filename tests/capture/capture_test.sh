#!/usr/bin/env bash
# swipemix-capture from the outside: argument errors, an unwritable output and
# the pictures it writes.
# usage: capture_test.sh CAPTURE_BINARY
set -u
capture=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Width, height and colour type of a PNG, from its header.
png_shape() {
    local b=($(od -An -tu1 -j16 -N10 "$1"))
    echo "$((b[0] << 24 | b[1] << 16 | b[2] << 8 | b[3]))x$((b[4] << 24 | b[5] << 16 | b[6] << 8 | b[7])) type ${b[9]}"
}

for args in "" "--bogus" "--at" "--at x -o f.png" "--at 3" "--entry 37 -o e.png" "--entry 1.5 -o e.png" \
            "--from 5 --to 4 -o d" "--at 1 --clock 3 -o f.png" "--sheet s.png --entry 3 -o e.png" "--width 0 --at 1 -o f.png" \
            "--entry 3 --column -o e.png" "--entry 3 --frame-times t -o e.png" "--fps 30/0 --at 1 -o f.png" "--fps 1e2 --at 1 -o f.png"; do
    "$capture" $args >/dev/null 2>"$work/err"
    code=$?
    [ $code -eq 2 ] || fail "'$args' exited with $code, not 2"
    [ "$(wc -l <"$work/err")" -eq 1 ] || fail "'$args' said more than one line: $(cat "$work/err")"
done

"$capture" --entry 3 --clock 1 -o "$work/missing/e.png" 2>"$work/err" && fail "an unwritable output passed as written"
grep -q "cannot write $work/missing/e.png" "$work/err" || fail "no clear message for an unwritable output"

"$capture" --at 8 --width 1000 -o "$work/f.png" || fail "--at failed"
[ "$(png_shape "$work/f.png")" = "1000x1080 type 2" ] || fail "--at wrote $(png_shape "$work/f.png")"
"$capture" --entry 3 --clock 1 -o "$work/e.png" 2>"$work/err" || fail "--entry failed"
# A program the show starts inherits the driver list it added the build
# folder's lavapipe to; that lavapipe is still named as the build folder's.
if grep -q "from the build folder" "$work/err"; then
    VK_ADD_DRIVER_FILES=$(dirname "$capture")/lavapipe/lvp_icd.json "$capture" --entry 3 -o "$work/e2.png" 2>"$work/err"
    grep -q "from the build folder" "$work/err" || fail "an inherited driver list named the drivers: $(cat "$work/err")"
fi
[ "$(png_shape "$work/e.png")" = "768x1080 type 2" ] || fail "--entry wrote $(png_shape "$work/e.png")"
"$capture" --from 8 --to 8.3 --width 800 -o "$work/seq" 2>/dev/null || fail "--from/--to failed"
# Named by their frame in the show at 60 fps: rows 8 to 8.3 hold frames 60 to 62.
[ "$(ls "$work/seq")" = "$(printf 'frame_00060.png\nframe_00061.png\nframe_00062.png')" ] || fail "sequence: $(ls "$work/seq")"
"$capture" --atlas "$work/a.png" || fail "--atlas failed"
[ "$(png_shape "$work/a.png")" = "1024x14336 type 0" ] || fail "--atlas wrote $(png_shape "$work/a.png")"
echo "capture: ok"

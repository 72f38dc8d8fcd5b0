#!/usr/bin/env bash
# The capture's failures give their true reason, and nothing makes it wait for
# ever: a statement run on for want of a ';' is warned about with its line; an
# effect file that is there but cannot be read fails the run, named, instead
# of the built-in text standing in; a frame-times file on a full disk and a
# frame folder that cannot be made say the system's reason; an effect that
# never finishes a frame ends the run, named.
# usage: capture_faults_test.sh CAPTURE_BINARY
set -u
capture=$1
work=$(mktemp -d)
cleanup() { mountpoint -q "$work/ro" 2>/dev/null && umount "$work/ro"; rm -rf "$work"; }
trap cleanup EXIT
cd "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }
small=(--width 64)

mkdir fx
cat >fx/e05.hlsl <<'HLSL'
void ya(out float4 colour, float2 position)
{
    float a = position.x * 0.01
    -0.5;
    colour = float4(a, a, a, 1);
}
HLSL
"$capture" --shader-dir fx --entry 5 --clock 1 "${small[@]}" -o e5.png 2>err || fail "a run-on statement failed: $(cat err)"
grep -q "entry 5, effect line 3: warning: no ';' ends this line" err || fail "no warning on the run-on line: $(cat err)"
rm e5.png

# A folder and a FIFO where effect files should be: refused at once (a FIFO
# with no writer would block a read for ever), nothing rendered.
rm fx/e05.hlsl
mkdir fx/e05.hlsl
mkfifo fx/e06.hlsl
for e in 5 6; do
    timeout 120 "$capture" --shader-dir fx --entry $e --clock 1 "${small[@]}" -o e$e.png 2>err
    code=$?
    [ $code -eq 1 ] || fail "an unreadable effect file: exit $code, $(cat err)"
    [ -e e$e.png ] && fail "an unreadable effect file was stood in for by the built-in text"
done
grep -q "fx/e06.hlsl is not a plain file" err || fail "the FIFO is not named: $(cat err)"
"$capture" --shader-dir fx --entry 5 --clock 1 "${small[@]}" -o e5.png 2>err
grep -q "fx/e05.hlsl is a folder, not a file" err || fail "the folder is not named: $(cat err)"
rm -r fx/e05.hlsl fx/e06.hlsl

"$capture" --from 8 --to 8.3 "${small[@]}" -o frames --frame-times /dev/full 2>err
code=$?
[ $code -eq 1 ] && grep -q 'cannot write /dev/full: No space left on device' err ||
    fail "frame times on a full disk: exit $code, $(cat err)"

# A folder for the frames inside one that cannot be written: chmod stops
# others, a read-only file system stops root as well.
mkdir ro
chmod 555 ro
if [ "$(id -u)" -ne 0 ] || mount -t tmpfs -o ro,size=64k tmpfs ro 2>/dev/null; then
    "$capture" --from 8 --to 8.3 "${small[@]}" -o ro/frames 2>err
    code=$?
    [ $code -eq 1 ] && grep -Eq 'cannot make the folder ro/frames: (Permission denied|Read-only file system)' err ||
        fail "frames into a read-only folder: exit $code, $(cat err)"
else
    echo "a read-only folder cannot be had here (root, no mount); that case is not checked"
fi

# Entry 0 loops for ever once the show is past half a second; it is on screen at row 8.
cat >fx/e00.hlsl <<'HLSL'
void ya(out float4 colour, float2 position)
{
    uint k = 0;
    [loop] while (c.x > 0.5 && asuint(position.x) != 0x7fc00001u)
        k++;
    colour = float4(k, 0, 0, 1);
}
HLSL
timeout 300 "$capture" --shader-dir fx --at 8 "${small[@]}" --hang-after 5 -o hang.png 2>err
code=$?
[ $code -eq 1 ] || fail "an endless effect: exit $code (124: it did not end by itself), $(cat err)"
grep -q 'entry 0 (e00.hlsl) does not finish' err || fail "the endless effect is not named: $(cat err)"
echo "capture faults: warned, refused and ended, each with its reason"

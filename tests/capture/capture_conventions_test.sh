#!/usr/bin/env bash
# What scripts rely on from the capture: a broken effect fails the run unless
# --keep-going; finished work is never overwritten without --force; frames are
# named by their frame in the show; one line when no music can be read.
# Small pictures throughout: what is checked is the bookkeeping, not the look.
# usage: capture_conventions_test.sh CAPTURE_BINARY
set -u
capture=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

# A broken effect: nothing rendered and a failure, or with --keep-going the
# picture and a word on which effect stood in.
mkdir broken
echo 'this is not HLSL' >broken/e05.hlsl
"$capture" --shader-dir broken --entry 5 --clock 3 --width 64 -o e5.png 2>err && fail "a broken effect passed: $(cat err)"
[ -e e5.png ] && fail "a broken effect left a picture"
grep -q 'e05.hlsl did not compile' err || fail "no word on the broken effect: $(cat err)"
"$capture" --shader-dir broken --entry 5 --clock 3 --width 64 -o e5.png --keep-going 2>err ||
    fail "--keep-going failed: $(cat err)"
grep -q "entry 5 is drawn by entry 4's effect" err || fail "no word on the stand-in: $(cat err)"
[ -s e5.png ] || fail "--keep-going wrote no picture"

# An existing output stays byte for byte without --force, before anything is
# rendered; with --force it is replaced.
echo 'an hour of work' >keep.png
cp keep.png before
"$capture" --at 400 --width 64 -o keep.png 2>err
code=$?
[ $code -eq 1 ] && grep -q 'keep.png exists; give --force' err || fail "existing output: exit $code, $(cat err)"
cmp -s keep.png before || fail "the existing output was touched"
"$capture" --at 400 --width 64 -o keep.png --force 2>err || fail "--force failed: $(cat err)"
cmp -s keep.png before && fail "--force left the old file"

# Frames carry their index in the show at --fps (a frame every 0.8 rows at
# 10 fps): rows 1 to 2.5 are frames 2 and 3, rows 3.2 to 4.8 frames 4 and 5
# (a range ends before its --to: frame 6 at row 4.8 is the next range's).
# A range that would overwrite a frame already there is refused whole.
"$capture" --from 1 --to 2.5 --fps 10 --width 64 -o frames 2>err || fail "frames: $(cat err)"
"$capture" --from 3.2 --to 4.8 --fps 10 --width 64 -o frames 2>err || fail "frames: $(cat err)"
[ "$(ls frames | tr '\n' ' ')" = "frame_00002.png frame_00003.png frame_00004.png frame_00005.png " ] ||
    fail "frame names: $(ls frames)"
cp frames/frame_00003.png before
"$capture" --from 2.4 --to 5.6 --fps 10 --width 64 -o frames 2>err && fail "overlapping range passed"
grep -q 'frame_00003.png and 2 more' err || fail "overlap not named: $(cat err)"
cmp -s frames/frame_00003.png before && [ ! -e frames/frame_00006.png ] || fail "a refused range wrote frames"

# A picture that cannot be written whole fails with the reason.
"$capture" --atlas /dev/full 2>err && fail "an atlas written to a full disk passed"
grep -q 'cannot write /dev/full: No space left on device' err || fail "full disk: $(cat err)"

# No music: one line saying how to mend it, and a silent video.
mkdir nomusic
"$capture" -o quiet.mp4 --from 0 --to 0.2 --width 64 --music nomusic 2>err || fail "video without music: $(cat err)"
[ "$(grep -c 'music' err)" -eq 1 ] && grep -q 'give --music DIR' err || fail "music lines: $(cat err)"
echo "capture conventions: ok"

#!/usr/bin/env bash
# Capturing to video where things go wrong: a rate far above the pictures'
# pace, a disk that fills up (a real small tmpfs where this may mount one, and
# always an ffmpeg that reports a failed write but exits 0), Ctrl-C and
# SIGTERM, and an ffmpeg that stops reading.
# usage: capture_stop_test.sh CAPTURE_BINARY MUSIC_DIR
set -u
capture=$1 music=$2
work=$(mktemp -d)
cleanup() { mountpoint -q "$work/full" && umount "$work/full"; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
cd "$work" && ln -s "$music" Music
frames() { ffprobe -v error -count_frames -select_streams "$2" -show_entries stream=nb_read_frames -of csv=p=0 "$1"; }
# The lines a run wrote, less the driver's greeting.
said() { grep -v '^swipemix: drawing on' "$1"; }

# The highest rate: the pictures far outrun the sound, which must not stall either pipe.
# Rows [0, 0.5) at 240 fps: 1/16 s, 15 frames.
timeout 300 "$capture" --fps 240 --from 0 --to 0.5 --width 256 -o fast.mp4 2>err || fail "fast capture: $(cat err)"
[ "$(frames fast.mp4 v)" = 15 ] || fail "fast capture holds $(frames fast.mp4 v) frames, not 15"
[ "$(frames fast.mp4 a)" -gt 0 ] || fail "fast capture has no sound"

# A full disk: exit 1, one line with the reason and how much of the file there is.
full_disk() {
    timeout 300 "$capture" --from 0 --to 4 --width 256 -o "$1" 2>err
    code=$?
    [ $code -eq 1 ] || fail "a full disk gave exit $code: $(cat err)"
    [ "$(said err | wc -l)" -eq 1 ] || fail "a full disk gave: $(cat err)"
    said err | grep -q "could not write $1 (ffmpeg: .*No space left on device); 8192 bytes of it were written" ||
        fail "a full disk gave: $(cat err)"
}
mkdir full
if mount -t tmpfs -o size=8k tmpfs full 2>/dev/null; then
    full_disk full/x.mp4
    umount full
else
    echo "no tmpfs could be mounted: the real full disk is left out"
fi
# ffmpeg 5.1 exits 0 after a failed trailer; a stand-in that does just that.
mkdir fake
cat >fake/ffmpeg <<'FAKE'
#!/bin/sh
for last; do :; done
cat >/dev/null
head -c 8192 /dev/zero >"$last"
echo "[mp4 @ 0x5555] Error writing trailer of $last: No space left on device" >&2
exit 0
FAKE
chmod +x fake/ffmpeg
PATH=$work/fake:$PATH full_disk fake.mp4

# Stopped by a signal: within a few seconds, one line, 128 + the signal, and a playable file.
for signal in INT TERM; do
    rm -f cut.mkv
    "$capture" -o cut.mkv --from 400 --fps 10 --width 256 2>err &
    pid=$!
    for _ in $(seq 300); do [ -s cut.mkv ] && [ "$(stat -c %s cut.mkv)" -gt 4000 ] && break; sleep 0.2; done
    kill -$signal $pid
    for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
    kill -0 $pid 2>/dev/null && { kill -9 $pid; fail "SIG$signal did not stop the capture within 10 s"; }
    wait $pid
    code=$?
    word=interrupted want=130
    [ $signal = TERM ] && word=terminated want=143
    [ $code -eq $want ] || fail "SIG$signal gave exit $code"
    [ "$(said err | wc -l)" -eq 1 ] && said err | grep -q "$word; cut.mkv holds the [0-9]* frames rendered" ||
        fail "SIG$signal gave: $(cat err)"
    n=$(said err | sed 's/.*holds the \([0-9]*\) frames.*/\1/')
    [ "$(frames cut.mkv v)" = "$n" ] || fail "after SIG$signal the file holds $(frames cut.mkv v) frames, not $n"
done

# An ffmpeg that never reads: SIGTERM still ends the capture, saying so.
cat >fake/ffmpeg <<FAKE
#!/bin/sh
touch $work/started
exec sleep 1000
FAKE
PATH=$work/fake:$PATH "$capture" -o stuck.mp4 --from 400 --fps 10 --width 256 2>err &
pid=$!
for _ in $(seq 600); do [ -e started ] && break; sleep 0.1; done
sleep 1 # the first frame fills the pipe
kill -TERM $pid
# It gives ffmpeg 8 s to finish; a frame still being drawn on a busy machine comes on top.
for _ in $(seq 250); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && { kill -9 $pid; fail "SIGTERM did not stop a capture whose ffmpeg never reads within 25 s"; }
wait $pid
code=$?
[ $code -eq 143 ] || fail "a stuck ffmpeg gave exit $code: $(cat err)"
said err | grep -q "ffmpeg did not finish" || fail "a stuck ffmpeg gave: $(cat err)"
echo "capture under stress: ok"

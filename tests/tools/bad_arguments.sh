#!/usr/bin/env bash
# Each tool's refusals: a bad argument gets exit 2 and one line on stderr that
# names the option (or value) at fault, nothing on stdout, and no file made;
# --help alone prints the usage, to stdout, with exit 0.
# usage: bad_arguments.sh capture|timeline|music|studio|show BINARY
set -u
tool=$1 binary=$2
work=$(mktemp -d) elsewhere=$(mktemp -d)
trap 'rm -rf "$work" "$elsewhere"' EXIT
cd "$work" || exit 1
# Files named by mistake, outside the folder that must stay empty: a FIFO
# (reading one with no writer waits for ever) and a folder.
mkfifo "$elsewhere/fifo"
mkdir "$elsewhere/folder"
failed=0

# refused NAMED ARGS...: the line on stderr must contain NAMED.
refused() {
    local named=$1
    shift
    "$binary" "$@" >out 2>err </dev/null
    local code=$?
    if [ $code -ne 2 ] || [ "$(wc -l <err)" -ne 1 ] || [ -s out ] || ! grep -qF -- "$named" err; then
        echo "FAIL: $tool $*: exit $code, stderr: $(cat err)"
        failed=1
    fi
    rm -f out err
    if [ -n "$(ls -A)" ]; then
        echo "FAIL: $tool $* left $(ls -A)"
        failed=1
        rm -rf ./*
    fi
}

helps() {
    "$binary" --help >out 2>err
    local code=$?
    [ $code -eq 0 ] && grep -q '^usage:' out && [ ! -s err ] || { echo "FAIL: $tool --help: exit $code, $(cat err)"; failed=1; }
    rm -f out err
}

case $tool in
capture)
    refused --entry   --entry 37 -o e.png
    refused --entry   --entry -1 -o e.png
    refused --entry   --entry 2.5 -o e.png
    refused --fps     --fps 0 -o v.mp4
    refused --fps     --fps 241 -o v.mp4
    refused --fps     --fps 0.5 --at 1 -o a.png
    refused --fps     --fps 0.0001 -o v.mp4
    refused --fps     --fps 10000 --from 0 --to 0.01 -o v.mp4
    refused --to      --from 5 --to 2 -o frames
    refused --to      --from 5 --to 2 -o v.mp4
    refused --width   --width 0 --at 1 -o a.png
    refused --width   --width 1.5 --at 1 -o a.png
    refused --hang-after --hang-after 0.5 --at 1 -o a.png
    refused --hang-after --hang-after never --at 1 -o a.png
    refused --at      --at 5000 -o a.png
    refused --at      --at 1e9 -o a.png
    refused --at      --at -1 -o a.png
    refused --from    --from 1e12 --to 1e12 -o frames
    refused --to      --to 1713 -o v.mp4
    refused --clock   --entry 1 --clock nan -o e.png
    refused --shader-dir --shader-dir /nonexistent --at 1 -o a.png
    # The author's timeline as the effects' folder: refused at once, with the reason.
    refused 'typo.timeline: cannot be read: No such file or directory' --timeline typo.timeline --at 1 -o a.png
    refused 'is not a plain file' --timeline "$elsewhere/fifo" --at 1 -o a.png
    refused 'is a folder' --timeline "$elsewhere/folder" --from 1 --to 2 -o frames
    refused --music   --music /nonexistent -o v.mp4
    refused --music   --music . --atlas a.png
    refused --frame-times --at 1 --frame-times f.txt -o a.png
    refused 'nothing to make' --frame-times f.txt -o x.png
    refused --column  --column --entry 1 -o e.png
    refused --clock   --clock 3 --at 1 -o a.png
    refused --entry   --at 1 --entry 2 -o a.png
    refused --at      --at 1 -o v.mp4
    refused -o        --sheet s.png -o a.png
    refused -o        --entry 3
    refused --to      --from 1 -o frames
    refused --to      --to 5 --at 1 -o a.png
    refused 'at 10 fps' --from 0.9 --to 1.1 --fps 10 -o frames
    refused --preview --bench --preview 3
    refused --compare --bench --compare /nonexistent
    refused --compare --compare . --entry 3 -o e.png
    refused --entry   --bench --entry 37
    refused --sheet   --bench --entry 3 --sheet s.png
    # Parts, soundtracks and joins.
    refused --part    --part 0/3 -o v.mp4
    refused --part    --part 4/3 -o v.mp4
    refused --part    --part 1/2x -o v.mp4
    refused 'at most that many parts' --part 1/4 --from 0 --to 24 --fps 10 -o v.mp4
    refused --part    --part 1/2 --at 1 -o a.png
    refused .wav      --sound-only s.mp3 --from 0 --to 8
    refused --sound   --sound s.wav -o v.mp4
    refused --join    --join p1.mp4 -o v.mp4
    refused --join    --join --sound s.wav -o v.mp4
    refused --join    --join p1.mp4 --sound s.wav --at 1 -o v.mp4
    refused --preview --preview 2 -o v.mp4
    refused --preview --entry 3 --preview 4 -o e.png
    refused --at      --at
    refused --bogus   --bogus
    refused 'nothing to make'
    ;;
show)
    refused --bogus   --bogus
    refused --target-fps --adaptive --target-fps 0
    refused --adaptive --target-fps 30
    refused --adaptive --show-scale
    refused --frame-times --frame-times
    ;;
timeline)
    refused --fps     --fps 0
    refused --fps     --fps 60/0
    refused --fps     --fps 1e9
    refused --from    --from 1e12 --to 1e12
    refused --to      --to 1713
    refused --to      --from 5 --to 2
    refused --to      --from 5 --to 5
    refused 'typo.timeline: cannot be read: No such file or directory' --timeline typo.timeline --keys
    refused 'is not a plain file' --timeline "$elsewhere/fifo" --rocket r.rocket
    refused --from    --from
    refused --rocket  --rocket ''
    refused --keys    --keys --from 3
    refused --beats   --beats --keys
    refused --music   --music .
    refused --music   --beats --music /nonexistent
    refused --music   --beats --music "$elsewhere/fifo"
    refused --bogus   --bogus
    # The capture's rates, up to the show's end and no further.
    "$binary" --fps 60000/1001 --from 1711 >out || { echo "FAIL: timeline refuses --fps 60000/1001"; failed=1; }
    awk -F, 'NR > 1 { n++; if ($2 > 1712 || $2 < 1711) bad = 1 } END { exit bad || n != 8 }' out ||
        { echo "FAIL: timeline rows from 1711 at 60000/1001: $(cut -d, -f1-2 out)"; failed=1; }
    rm -f out
    ;;
studio)
    # Refused before any window opens.
    refused --shader-dir --shader-dir /nonexistent
    refused --music   --music /nonexistent
    refused --shader-dir --shader-dir
    refused --row     --row 1713
    refused --loop    --loop 5:2
    refused --rocket  --rocket host:99999
    refused --bogus   --bogus
    refused 'typo.timeline: cannot be read: No such file or directory' --timeline typo.timeline
    refused 'is a folder' --timeline "$elsewhere/folder"
    refused 'is not a plain file' --timeline "$elsewhere/fifo"
    refused 'is not a plain file' --costs /dev/zero
    refused 'is not a plain file' --costs "$elsewhere/fifo"
    ;;
music)
    refused 0         0
    refused 38        38
    refused -1        -1
    refused nosuch    nosuch
    refused nosuch    --beats nosuch
    refused --bogus   --bogus
    refused 'name a piece'
    # WAV bytes never go to a terminal.
    if command -v script >/dev/null; then
        script -qec "'$binary' 1" /dev/null >out 2>&1
        code=$?
        [ $code -eq 2 ] && grep -q 'terminal' out || { echo "FAIL: music to a terminal: exit $code, $(head -c 300 out)"; failed=1; }
        rm -f out
    fi
    ;;
esac
helps
[ $failed -eq 0 ] && echo "$tool: every bad argument refused in one line"
exit $failed

#!/usr/bin/env bash
# The studio in a real X server: Space holds the frame, Right moves it, saving
# an effect file changes the picture, Escape quits with code 0.
# usage: end_to_end.sh STUDIO_BINARY SHADER_DIR MUSIC_DIR DISPLAY_NUMBER
set -u
studio=$1 shaders=$2 music=$3 display=:$4
work=$(mktemp -d)
trap 'kill $xvfb $pid 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do DISPLAY=$display xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=$display SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/audio.raw SDL_DISKAUDIODELAY=0
cp -r "$shaders" "$work/shaders"
cd "$work" && ln -s "$music" Music

"$studio" --shader-dir "$work/shaders" 2>"$work/stderr" &
pid=$!
for _ in $(seq 600); do
    wid=$(xdotool search --onlyvisible --name 'swipemix studio' 2>/dev/null | head -1)
    [ -n "$wid" ] && break
    kill -0 $pid 2>/dev/null || fail "studio exited during start-up: $(cat "$work/stderr")"
    sleep 0.2
done
[ -n "$wid" ] || fail "no window"
xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool mousemove --window "$wid" 10 10

# The window's picture as a checksum of its pixels.
shot() {
    ffmpeg -loglevel error -f x11grab -video_size 1280x800 -i "$display" -frames:v 1 -f rawvideo -pix_fmt gray - |
        md5sum | cut -d' ' -f1
}
# Waits until the picture settles (two equal shots a few frames apart) and prints it.
settled() {
    local a b
    a=$(shot)
    for _ in $(seq 60); do
        sleep 1.5
        b=$(shot)
        [ "$a" = "$b" ] && { echo "$a"; return 0; }
        a=$b
    done
    return 1
}
black=$(shot)
for _ in $(seq 90); do [ "$(shot)" != "$black" ] && break; sleep 1; done

xdotool key space
held=$(settled) || fail "Space did not hold the frame"
sleep 2
[ "$(shot)" = "$held" ] || fail "the held frame changed"

xdotool key Right
moved=$(settled) || fail "no steady frame after Right"
[ "$moved" != "$held" ] || fail "Right did not change the picture"

echo 'void ya(out float4 o, float2 h) { o = float4(1, 0, 0, 1); }' >"$work/shaders/e00.hlsl"
edited=$moved
for _ in $(seq 240); do
    sleep 1
    edited=$(shot)
    [ "$edited" != "$moved" ] && break
done
[ "$edited" != "$moved" ] || fail "saving e00.hlsl did not change the picture: $(cat "$work/stderr")"

xdotool key Escape
for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && fail "still running 10 s after Escape"
wait $pid
code=$?
[ $code -eq 0 ] || fail "exit code $code: $(cat "$work/stderr")"
echo "studio: held, stepped, reloaded, quit"

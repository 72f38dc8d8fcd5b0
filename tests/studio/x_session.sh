# Shared by the studio's end-to-end scripts (sourced): an X server, the
# studio's window, and its picture as checksums.
# Needs: display (":N"), work (a scratch folder), pid (set by the caller once the studio runs).
fail() { echo "FAIL: $*"; [ -f "$work/stderr" ] && tail -20 "$work/stderr"; exit 1; }

start_x() {
    Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 50); do DISPLAY=$display xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
    export DISPLAY=$display SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/audio.raw SDL_DISKAUDIODELAY=0
}

# Waits for the studio's window, focuses it and hides the display (whose
# frame-rate line would change every frame).
wait_window() {
    for _ in $(seq 600); do
        wid=$(xdotool search --onlyvisible --name 'swipemix studio' 2>/dev/null | head -1)
        [ -n "$wid" ] && break
        kill -0 $pid 2>/dev/null || fail "studio exited during start-up"
        sleep 0.2
    done
    [ -n "$wid" ] || fail "no window"
    xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool mousemove --window "$wid" 10 10
    local black
    black=$(shot)
    for _ in $(seq 90); do [ "$(shot)" != "$black" ] && break; sleep 1; done
    xdotool key Tab
}

# The screen's picture as a checksum of its pixels.
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

# Waits up to $2 seconds for the picture to differ from $1; prints the new one.
changed_from() {
    local now
    for _ in $(seq $(($2 * 5))); do
        now=$(shot)
        [ "$now" != "$1" ] && { echo "$now"; return 0; }
        sleep 0.2
    done
    return 1
}

quit_with_escape() {
    xdotool key Escape
    for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
    kill -0 $pid 2>/dev/null && fail "still running 10 s after Escape"
    wait $pid
    local code=$?
    [ $code -eq 0 ] || fail "exit code $code"
}

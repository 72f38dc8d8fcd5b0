# Sourced by the end-to-end scripts: an X server, a program's window, and the
# screen's picture as checksums.
# Needs: display (":N"), work (a scratch folder whose stderr file the program
# writes), pid (set by the caller once the program runs).
fail() { echo "FAIL: $*"; [ -f "$work/stderr" ] && tail -20 "$work/stderr"; exit 1; }

# start_x [WIDTHxHEIGHT]: 1280x800 when not given.
start_x() {
    screen=${1:-1280x800}
    Xvfb "$display" -screen 0 "${screen}x24" -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 50); do DISPLAY=$display xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
    export DISPLAY=$display SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/audio.raw SDL_DISKAUDIODELAY=0
}

# find_window TITLE: waits for a visible window so named (start-up compiles
# 38 shaders and decodes 37 tracks) and sets wid.
find_window() {
    for _ in $(seq 600); do
        wid=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
        [ -n "$wid" ] && return 0
        kill -0 $pid 2>/dev/null || fail "exited during start-up"
        sleep 0.2
    done
    fail "no window"
}

# The studio's window, focused, once it draws, with the display hidden (its
# frame-rate line would change every frame).
studio_window() {
    find_window 'swipemix studio'
    xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool mousemove --window "$wid" 10 10
    local black
    black=$(shot)
    for _ in $(seq 90); do [ "$(shot)" != "$black" ] && break; sleep 1; done
    xdotool key Tab
}

# The screen's picture as a checksum of its pixels.
shot() {
    ffmpeg -loglevel error -f x11grab -video_size "$screen" -i "$display" -frames:v 1 -f rawvideo -pix_fmt gray - |
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

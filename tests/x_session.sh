# Sourced by the end-to-end scripts: an X server, a program's window, and the
# screen's picture as checksums. Sourcing makes the scratch folder `work`
# (the program writes its stderr file there) and ends the session on exit.
# Needs: pid (set by the caller once the program runs).
fail() { echo "FAIL: $*"; [ -f "$work/stderr" ] && tail -20 "$work/stderr"; exit 1; }

# start_x [WIDTHxHEIGHT]: a server of its own on a free display (1280x800 when
# no size is given); sets display once the server says it is ready.
# -noreset: a server that resets when its last client goes refuses the next
# program for a moment, and SDL would fall back to a window-less driver.
start_x() {
    screen=${1:-1280x800}
    Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        kill -0 $xvfb 2>/dev/null || fail "no X server could start"
        sleep 0.1
    done
    [ -s "$work/display" ] || fail "the X server did not get ready"
    display=:$(head -1 "$work/display")
    export DISPLAY=$display SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/audio.raw
}

# studio_files SOURCE_DIR MUSIC_DIR: copies of the source tree's effects and
# timeline in the scratch folder for the studio to edit, the music linked
# beside them; the script goes on in the scratch folder.
studio_files() {
    cp -r "$1/graphics/shaders" "$work/shaders"
    cp "$1/timeline/show.timeline" "$work/show.timeline"
    ln -s "$2" "$work/Music"
    cd "$work" || fail "no scratch folder"
}

# said PATTERN SECONDS [COUNT]: waits for the program to have said PATTERN
# COUNT times (once by default) on its stderr file; fails early if it has gone.
said() {
    for _ in $(seq $(($2 * 5))); do
        [ "$(grep -c "$1" "$work/stderr")" -ge "${3:-1}" ] && return 0
        kill -0 $pid 2>/dev/null || return 1
        sleep 0.2
    done
    return 1
}

# Stops the program and the server, and waits for the server to go, so the
# display is free for the next script. For the EXIT trap.
end_session() {
    kill ${pid:-} ${xvfb:-} 2>/dev/null
    [ -n "${xvfb:-}" ] && wait $xvfb 2>/dev/null
    rm -rf "$work"
}
work=$(mktemp -d)
trap end_session EXIT

# find_window: waits for a visible window of the program (start-up compiles
# 38 shaders and decodes 37 tracks) and sets wid.
find_window() {
    for _ in $(seq 600); do
        wid=$(xdotool search --onlyvisible --pid $pid 2>/dev/null | head -1)
        [ -n "$wid" ] && return 0
        kill -0 $pid 2>/dev/null || fail "exited during start-up"
        sleep 0.2
    done
    fail "no window"
}

# The studio's window, focused, once it draws, with the display hidden (its
# frame-rate line would change every frame).
studio_window() {
    find_window
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

# quit_with_escape [SECONDS]: Escape must end the program within SECONDS (10) with code 0.
quit_with_escape() {
    local seconds=${1:-10}
    xdotool key Escape
    for _ in $(seq $((seconds * 20))); do kill -0 $pid 2>/dev/null || break; sleep 0.05; done
    kill -0 $pid 2>/dev/null && fail "still running $seconds s after Escape"
    wait $pid
    local code=$?
    [ $code -eq 0 ] || fail "exit code $code"
}

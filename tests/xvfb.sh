# Sourced by the shell tests that run the real executable: a private Xvfb server, 1024x768x24
# unless $1 gives another WxH (DISPLAY exported, the server stopped when the test's shell
# exits), and the waits they share.
xvfb_start() {
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "${1:-1024x768}x24" -nolisten tcp 3>"$fifo" 2>/dev/null &
    XVFB_PID=$!
    read -r n <"$fifo"
    rm -f "$fifo"
    export DISPLAY=":$n"
    trap 'kill $XVFB_PID 2>/dev/null; wait $XVFB_PID 2>/dev/null' EXIT
}

# Runs from a fresh temporary folder with the music beside $1 (the executable) linked in and
# SDL's dummy audio driver, so the cues fire as in a real run without a sound card.
live_show_dir() {
    export SDL_AUDIODRIVER=dummy
    cd "$(mktemp -d)" || exit 1
    music="$(dirname "$1")/music.xm"
    [ -f "$music" ] && ln -s "$music" music.xm
}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The screen's pixel at ($1, $2) from the top left, as " R G B".
pixel_at() {
    ffmpeg -v error -f x11grab -video_size 1x1 -i "$DISPLAY+$1,$2" -frames:v 1 \
        -f rawvideo -pix_fmt rgb24 - 2>/dev/null | od -An -tu1 | tr -s ' '
}

# Waits up to $2 seconds for the show, process $1, to draw: the screen's pixel at ($3, $4),
# the top left unless given, turns from the black of a new window to the show's clear grey
# (190, 196, 204) once a frame has been swapped, so the show is in its frame loop. False if the
# process ends first or time runs out.
wait_drawing() {
    local end=$((SECONDS + $2))
    while kill -0 "$1" 2>/dev/null && [ $SECONDS -le $end ]; do
        [ "$(pixel_at "${3:-0}" "${4:-0}")" = " 190 196 204" ] && return 0
        sleep 0.1
    done
    return 1
}

# Waits up to $2 seconds for process $1 to exit; sets STATUS to its exit status.
wait_exit() {
    local end=$((SECONDS + $2))
    while kill -0 "$1" 2>/dev/null; do
        [ $SECONDS -gt $end ] && return 1
        sleep 0.05
    done
    wait "$1"
    STATUS=$?
}

# Sourced by the shell tests that run the real executable: starts a private Xvfb server of
# 1024x768x24, exports DISPLAY, and stops the server when the test's shell exits.
xvfb_start() {
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
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

# Waits up to $2 seconds for process $1 to exit; sets STATUS to its exit status.
wait_exit() {
    i=0
    while kill -0 "$1" 2>/dev/null; do
        i=$((i + 1))
        [ $i -gt $(($2 * 20)) ] && return 1
        sleep 0.05
    done
    wait "$1"
    STATUS=$?
    return 0
}

#!/bin/bash
# The real executable under Xvfb: the window appears with its caption at 1024x768; an Escape
# key press ends the show within a second with status 0; SIGINT and SIGTERM end it the same
# way. Usage: live_window.sh path/to/ordune
set -u
EXE=$(realpath "$1")
. "$(dirname "$0")/xvfb.sh"
xvfb_start
export SDL_AUDIODRIVER=dummy
cd "$(mktemp -d)"

start_show() {
    "$EXE" 2>stderr.txt &
    PID=$!
    WID=""
    for _ in $(seq 100); do
        WID=$(xdotool search --name '^Mervane::Ordune$' 2>/dev/null | head -1)
        [ -n "$WID" ] && break
        sleep 0.1
    done
    [ -n "$WID" ] || fail "no window named Mervane::Ordune appeared"
    sleep 0.5 # a few frames drawn before the key arrives
}

# Escape: the window's size, then the key.
start_show
geometry=$(xwininfo -id "$WID" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
[ "$geometry" = 1024x768 ] || fail "window is $geometry, not 1024x768"
xdotool mousemove --window "$WID" 100 100 mousemove 300 300 key --window "$WID" Escape
wait_exit $PID 1 || fail "show still running a second after Escape"
[ "$STATUS" = 0 ] || fail "exit status $STATUS after Escape"

for sig in TERM INT; do
    start_show
    kill -$sig $PID
    wait_exit $PID 1 || fail "show still running a second after SIG$sig"
    [ "$STATUS" = 0 ] || fail "exit status $STATUS after SIG$sig"
done
echo "live window: caption, 1024x768, Escape, SIGTERM and SIGINT end the show with status 0"

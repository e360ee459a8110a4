#!/bin/bash
# The real executable under Xvfb: the window appears with its caption at 1024x768 and draws; an
# Escape key press ends the show with status 0, and so do SIGINT and SIGTERM.
# Usage: live_window.sh path/to/ordune
set -u
EXE=$(realpath "$1")
. "$(dirname "$0")/xvfb.sh"
xvfb_start
live_show_dir "$EXE"

# Starts the show and waits for its window and its first frames; WID is the window.
start_show() {
    "$EXE" 2>stderr.txt &
    PID=$!
    WID=$(timeout 60 xdotool search --sync --name '^Mervane::Ordune$' | head -1)
    [ -n "$WID" ] || fail "no window named Mervane::Ordune appeared"
    wait_drawing $PID 60 || fail "the show drew no frame: $(cat stderr.txt)"
}
# Waits for the show to end after $1; limits only, for a loaded machine.
expect_end() {
    wait_exit $PID 30 || fail "show still running 30 s after $1"
    [ "$STATUS" = 0 ] || fail "exit status $STATUS after $1"
}

start_show
geometry=$(xwininfo -id "$WID" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
[ "$geometry" = 1024x768 ] || fail "window is $geometry, not 1024x768"
xdotool mousemove --window "$WID" 100 100 mousemove 300 300 key --window "$WID" Escape
expect_end Escape
for sig in TERM INT; do
    start_show
    kill -$sig $PID
    expect_end SIG$sig
done
echo "live window: caption, 1024x768, drawing; Escape, SIGTERM and SIGINT end it with status 0"

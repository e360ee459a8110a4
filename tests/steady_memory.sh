#!/bin/bash
# The looping show's resident memory is steady from lap to lap: at 50 s of the second lap it is
# within 2 % of what it was at 50 s of the first, the same frames drawn by the same driver. A
# leak of a kilobyte a frame (12,000 frames a lap) would break it.
# Usage: steady_memory.sh path/to/ordune (music.xm beside it)
set -u
EXE=$(realpath "$1")
. "$(dirname "$0")/xvfb.sh"
xvfb_start
live_show_dir "$EXE"
"$EXE" --loop 2>stderr.txt &
PID=$!
trap 'kill $PID 2>/dev/null; kill $XVFB_PID 2>/dev/null' EXIT
# The clock starts just before the first frame; a second of slack on the reading times is
# nothing next to the 200 s between them.
wait_drawing $PID 120 || fail "the show drew no frame: $(cat stderr.txt)"
opened=$SECONDS
# Resident memory, kB, at $1 s reckoned from the first frame.
rss_at() {
    [ $((opened + $1 + 1 - SECONDS)) -gt 0 ] && sleep $((opened + $1 + 1 - SECONDS))
    awk '/^VmRSS:/ { print $2 }' "/proc/$PID/status" 2>/dev/null | grep . ||
        fail "the show ended before $1 s: $(cat stderr.txt)"
}
first=$(rss_at 50) || exit 1
second=$(rss_at 250) || exit 1
kill -TERM $PID
wait_exit $PID 60 || fail "the show did not end on SIGTERM"
[ "$STATUS" = 0 ] || fail "exit status $STATUS"
awk -v a="$first" -v b="$second" 'BEGIN {
    d = (b - a) / a * 100
    printf "steady memory: %d kB at 50 s of lap 1, %d kB at 50 s of lap 2 (%+.2f %%)\n", a, b, d
    exit !(d < 2 && d > -2)
}' || fail "resident memory moved by more than 2 % from lap to lap"

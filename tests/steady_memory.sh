#!/bin/bash
# The live show's resident memory stays steady: at 190 s of show time it is within 5 % of what
# it was at 50 s, when every scene has long been built and the frame loop allocates only
# per-frame scratch. A leak of a few kilobytes a frame would break it within the 140 s between.
# Usage: steady_memory.sh path/to/ordune (music.xm beside it)
set -u
EXE=$(realpath "$1")
. "$(dirname "$0")/xvfb.sh"
xvfb_start
live_show_dir "$EXE"
"$EXE" 2>stderr.txt &
PID=$!
# The clock starts just before the first frame; a second of slack on the reading times is
# nothing next to the 140 s between them.
wait_drawing $PID 120 || fail "the show drew no frame: $(cat stderr.txt)"
opened=$SECONDS
# Resident memory, kB, at show time $1 s reckoned from the first frame.
rss_at() {
    [ $((opened + $1 + 1 - SECONDS)) -gt 0 ] && sleep $((opened + $1 + 1 - SECONDS))
    awk '/^VmRSS:/ { print $2 }' "/proc/$PID/status" 2>/dev/null | grep . ||
        fail "the show ended before $1 s: $(cat stderr.txt)"
}
early=$(rss_at 50) || exit 1
late=$(rss_at 190) || exit 1
wait_exit $PID 60 || {
    kill -TERM $PID
    fail "the show did not end by itself"
}
[ "$STATUS" = 0 ] || fail "exit status $STATUS"
awk -v a="$early" -v b="$late" 'BEGIN {
    d = (b - a) / a * 100
    printf "steady memory: %d kB at 50 s, %d kB at 190 s (%+.2f %%)\n", a, b, d
    exit !(d < 5 && d > -5)
}' || fail "resident memory moved by more than 5 %"

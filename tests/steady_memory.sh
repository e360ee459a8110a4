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
EARLY=50
LATE=190
LIMIT_PERCENT=5

rss_kb() {
    awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null
}

"$EXE" 2>stderr.txt &
PID=$!
# The clock starts just before the first frame; a second of slack on the reading times is
# nothing next to the 140 s between them.
wait_drawing $PID 120 || fail "the show drew no frame: $(cat stderr.txt)"
opened=$(date +%s)
# Sleeps until `$1` seconds of show time, reckoned from the first frame.
at_show_time() {
    left=$((opened + $1 + 1 - $(date +%s)))
    [ $left -gt 0 ] && sleep $left
}
at_show_time $EARLY
early=$(rss_kb $PID)
[ -n "$early" ] || fail "the show ended before $EARLY s: $(cat stderr.txt)"
at_show_time $LATE
late=$(rss_kb $PID)
[ -n "$late" ] || fail "the show ended before $LATE s: $(cat stderr.txt)"
wait_exit $PID 60 || {
    kill -TERM $PID
    fail "the show did not end by itself"
}
[ "$STATUS" = 0 ] || fail "exit status $STATUS"
awk -v a="$early" -v b="$late" -v p=$LIMIT_PERCENT 'BEGIN {
    d = (b - a) / a * 100
    printf "steady memory: %d kB at %d s, %d kB at %d s (%+.2f %%)\n", a, '$EARLY', b, '$LATE', d
    exit !(d < p && d > -p)
}' || fail "resident memory moved by more than $LIMIT_PERCENT %"

#!/bin/bash
# The whole show under Xvfb, left to its natural end: it must exit by itself with status 0, not
# crash or stop in any scene, and not before its 200 seconds of show time have passed. The music
# beside the executable plays through SDL's dummy audio driver, so the cues fire as in a real run.
# Usage: full_show.sh path/to/ordune
set -u
EXE=$(realpath "$1")
. "$(dirname "$0")/xvfb.sh"
xvfb_start
live_show_dir "$EXE"

# Start-up comes on top of the 200 s, so a show that ends sooner than that after its launch (199
# in whole seconds) is broken. The wait is a limit only: a show that missed its end runs on.
start=$SECONDS
"$EXE" 2>stderr.txt &
PID=$!
wait_drawing $PID 120 || fail "the show drew no frame: $(cat stderr.txt)"
wait_exit $PID 500 || {
    kill -TERM $PID
    fail "show still running after 500 s"
}
took=$((SECONDS - start))
[ "$STATUS" = 0 ] || fail "exit status $STATUS after $took s: $(cat stderr.txt)"
[ $took -ge 199 ] || fail "show ended after $took s, before its 200 s"
echo "full show: ended by itself with status 0 after $took s"

#!/bin/bash
# The whole show under Xvfb, left to its natural end: it must exit by itself with status 0 after
# about 200 seconds of show time, not crash or stop early in any scene. The music beside the
# executable is played through SDL's dummy audio driver, so the cues fire as in a real run.
# Usage: full_show.sh path/to/ordune
set -u
EXE=$(realpath "$1")
. "$(dirname "$0")/xvfb.sh"
xvfb_start
live_show_dir "$EXE"

# The show lasts 200 s of clock time; start-up comes on top. A show that ends well before is
# broken, one that runs far past its end has not noticed it.
SHORTEST=199
LONGEST=330

start=$(date +%s.%N)
"$EXE" 2>stderr.txt &
PID=$!
wait_exit $PID $LONGEST || {
    kill -TERM $PID
    fail "show still running after $LONGEST s"
}
end=$(date +%s.%N)
took=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }')
[ "$STATUS" = 0 ] || fail "exit status $STATUS after $took s: $(cat stderr.txt)"
awk -v t="$took" -v s=$SHORTEST 'BEGIN { exit !(t >= s) }' || fail "show ended after $took s, before its 200 s"
echo "full show: ended by itself with status 0 after $took s"

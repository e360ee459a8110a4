#!/bin/bash
# The live show's options and makers' keys through the real executable under Xvfb:
#   - --help, -h and --version; a bad option is one line with a hint, exit 2, and no window;
#   - --window and --size give that window; at another aspect the 4:3 picture has black bars,
#     and --native fills the desktop the same way;
#   - --record draws on the 60 fps virtual clock, so frames compare with a run from 0: --start,
#     --loop and every seek key land on the frames a show that played there draws; Space holds
#     the frame until pressed again;
#   - F1 shows the overlay and hides it again; --stats prints each scene's frame rates at exit.
# Usage: live_options.sh path/to/ordune
set -u
EXE=$(realpath "$1")
. "$(dirname "$0")/xvfb.sh"
cd "$(mktemp -d)" || exit 1

# ---- The command line, with no display: a run that got past it would exit 1 for want of one.
for help in --help -h; do
    env -u DISPLAY "$EXE" $help >out.txt 2>err.txt || fail "$help: status $?"
    grep -q -- '--start SECONDS' out.txt && [ ! -s err.txt ] || fail "$help: $(cat out.txt err.txt)"
done
env -u DISPLAY "$EXE" --version >out.txt 2>&1 || fail "--version: status $?"
grep -qx 'ordune [0-9]*\.[0-9]*\.[0-9]*' out.txt || fail "--version: $(cat out.txt)"
for bad in --windowed "--size 640" "--start 250" "--audio-latency x" "--help --bogus"; do
    env -u DISPLAY "$EXE" $bad >out.txt 2>err.txt
    status=$?
    [ $status = 2 ] || fail "$bad: status $status, not 2"
    [ "$(wc -l <err.txt)" = 1 ] && grep -q '^ordune: .*--help' err.txt && [ ! -s out.txt ] ||
        fail "$bad: not one line with a hint: $(cat out.txt err.txt)"
done

# ---- Windows and bars, on a 16:9 desktop.
xvfb_start 1280x720
live_show_dir "$EXE"

# Starts the show with the options given; sets PID, WID and the window's origin OX, OY.
start() {
    "$EXE" "$@" >stdout.txt 2>stderr.txt &
    PID=$!
    WID=$(timeout 60 xdotool search --sync --name '^Mervane::Ordune$' | head -1)
    [ -n "$WID" ] || fail "$*: no window appeared: $(cat stderr.txt)"
    read -r OX OY W H < <(xwininfo -id "$WID" | awk '/Absolute upper-left X/ {x=$NF}
        /Absolute upper-left Y/ {y=$NF} /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}')
}
# Escape, then the show must end with status 0.
stop() {
    xdotool key --window "$WID" Escape
    wait_exit $PID 60 || fail "still running 60 s after Escape"
    [ "$STATUS" = 0 ] || fail "exit status $STATUS: $(cat stderr.txt)"
}
# Fails unless the window is $1 (WxH) and its picture's top-left corner, at ($2, $3) within the
# window, draws; then, with $4 $5, that the pixel there is a black bar.
expect_picture() {
    [ "${W}x$H" = "$1" ] || fail "window is ${W}x$H, not $1"
    wait_drawing $PID 60 $((OX + $2)) $((OY + $3)) || fail "no picture at ($2, $3) in $1"
    [ $# -lt 4 ] || [ "$(pixel_at $((OX + $4)) $((OY + $5)))" = " 0 0 0" ] ||
        fail "no black bar at ($4, $5) in $1"
}

start --window --size 640x480
expect_picture 640x480 0 0
stop
start --window --size 800x450
expect_picture 800x450 100 0 50 225
stop
start --native
expect_picture 1280x720 160 0 80 360
stop

# ---- The overlay, in the picture's top-left corner.
start --window --dev --size 640x480
expect_picture 640x480 0 0
# "panel" once the overlay covers the pixel at (12, 12), "grey" while the show's clear grey shows.
corner() { [ "$(pixel_at $((OX + 12)) $((OY + 12)))" = " 190 196 204" ] && echo grey || echo panel; }
for want in panel grey panel; do
    xdotool key --window "$WID" F1
    end=$((SECONDS + 30))
    until [ "$(corner)" = $want ]; do
        [ $SECONDS -le $end ] || fail "F1 did not turn the corner to $want"
        sleep 0.1
    done
done
stop

# ---- Frames on the virtual clock. Every recorded line is "frame seconds digest".
lines() { [ -f "$1" ] && wc -l <"$1" || echo 0; }
# Waits for file $1 to hold a line matching $2 (an awk condition), then $3 more lines.
wait_line() {
    local end=$((SECONDS + 120)) at
    while :; do
        at=$(awk "$2 {print NR; exit}" "$1" 2>/dev/null)
        [ -n "$at" ] && [ "$(lines "$1")" -ge $((at + ${3:-0})) ] && return 0
        kill -0 $PID 2>/dev/null && [ $SECONDS -le $end ] || fail "no line where $2 in $1"
        sleep 0.1
    done
}
# Every line of $1 whose frame the reference holds must be the reference's line.
same_as_ref() {
    awk 'NR == FNR {ref[$1] = $0; next} ($1 in ref) && ref[$1] != $0 {print; bad = 1}
        END {exit bad}' ref.txt "$1" >diff.txt || fail "$1 differs from a show played from 0: $(head -3 diff.txt)"
}
# The jumps, in order: "from>to" for each frame that does not follow the line before.
jumps() { awk 'NR > 1 && $1 != last + 1 {print last ">" $1} {last = $1}' "$1" | tr '\n' ' '; }

start --window --size 640x480 --record ref.txt
wait_line ref.txt '$1 == 6100'
stop

start --window --size 640x480 --record start.txt --start 100
wait_line start.txt '$1 == 6000' 30
stop
[ "$(head -1 start.txt | cut -d' ' -f1)" = 6000 ] || fail "--start 100 began at $(head -1 start.txt)"
same_as_ref start.txt

start --window --size 640x480 --record loop.txt --loop --start 199.9
wait_line loop.txt 'NR > 1 && $1 == 0' 60
stop
same_as_ref loop.txt

# Keys while playing, then while paused: each paused seek draws the one frame it lands on.
start --window --size 640x480 --dev --record keys.txt --start 30
wait_line keys.txt 'NR == 1' 5
xdotool key --window "$WID" Right
wait_line keys.txt '$1 >= 2100' 5
xdotool key --window "$WID" space Left
wait_line keys.txt 'NR > 1 && $1 < last {print NR; exit} {last = $1} 0' 0
held=$(lines keys.txt)
for key in Next Prior Prior Home; do
    xdotool key --window "$WID" $key
    wait_line keys.txt "NR == $((held + 1))"
    held=$((held + 1))
done
sleep 1 # paused: no frame may follow the one the last seek landed on
[ "$(lines keys.txt)" = "$held" ] || fail "frames drawn while paused: $(tail -3 keys.txt)"
xdotool key --window "$WID" space
wait_line keys.txt "NR == $held" 5
stop
same_as_ref keys.txt
# Right and Left from the frame drawn last; Page Down to viivatus at 39.5 s, Page Up to the start
# of rakenne, then (at its start) to alku's; Home to 0; then on from there.
seen=$(jumps keys.txt)
[[ "$seen" =~ ^([0-9]+)\>([0-9]+)\ ([0-9]+)\>([0-9]+)\ [0-9]+\>2370\ 2370\>1200\ 1200\>0\ 0\>0\ $ ]] &&
    [ $((BASH_REMATCH[2] - BASH_REMATCH[1])) = 300 ] &&
    [ $((BASH_REMATCH[3] - BASH_REMATCH[4])) = 300 ] || fail "the keys jumped $seen"
awk "NR == $held + 1" keys.txt | grep -q '^1 ' || fail "Space did not play on from frame 0"

# ---- --stats: one line a scene at exit.
start --window --size 640x480 --stats --start 197
wait_exit $PID 120 || fail "--start 197 still running after 120 s"
[ "$STATUS" = 0 ] || fail "--stats: exit status $STATUS"
[ "$(wc -l <stdout.txt)" = 10 ] && grep -q '^alku: no frames$' stdout.txt &&
    grep -Eq '^kaupunki: [1-9][0-9]* frames, mean [0-9.]+ fps, 5th percentile [0-9.]+ fps, slowest [0-9.]+ ms$' stdout.txt ||
    fail "--stats printed: $(cat stdout.txt)"
echo "live options: command line, windows and bars, overlay, --start, --loop, dev keys, --stats"

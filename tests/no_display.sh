#!/bin/bash
# Without a display the show prints one line naming the cause on stderr and exits with status 1.
set -u
EXE=$(realpath "$1")
cd "$(mktemp -d)"
env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy timeout 20 "$EXE" >out.txt 2>err.txt
status=$?
[ $status = 1 ] || { echo "FAIL: status $status, not 1"; exit 1; }
lines=$(grep -c 'ordune:' err.txt)
[ "$lines" = 1 ] || { echo "FAIL: expected one line from ordune, got:"; cat err.txt; exit 1; }
grep -q 'display' err.txt || { echo "FAIL: the line does not name the display"; exit 1; }
echo "no display: $(grep ordune: err.txt)"

#!/bin/bash
# Without a display the show prints one line naming the cause on stderr and exits with status 1.
set -u
EXE=$(realpath "$1")
. "$(dirname "$0")/xvfb.sh" # fail
cd "$(mktemp -d)" || exit 1
env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy timeout 60 "$EXE" >out.txt 2>err.txt
status=$?
[ $status = 1 ] || fail "status $status, not 1"
[ "$(grep -c 'ordune:' err.txt)" = 1 ] || fail "not one line from ordune: $(cat err.txt)"
grep -q 'display' err.txt || fail "the line does not name the display"
echo "no display: $(grep ordune: err.txt)"

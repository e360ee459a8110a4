#!/bin/bash
# The live show against faults at its edges: music.xm missing, empty, cut off, random bytes,
# another format, 200 MB, a folder or a pipe; no audio device; a working folder removed or
# locked. Each case in turn: the show draws frames, has written exactly one line on stderr
# naming the cause, and ends with status 0 on SIGTERM or SIGINT.
# Usage: faults_test.sh path/to/ordune path/to/music.xm
# ORDUNE_TEST_PRELOAD, when set, is the show's LD_PRELOAD (the sanitizer run's); the test's own
# tools run without it.
set -u
GOOD=$(realpath "$2")
unset SDL_AUDIODRIVER
. "$(dirname "$0")/xvfb.sh"
xvfb_start
ROOT=$(mktemp -d)
trap 'chmod -R u+rwx "$ROOT" 2>/dev/null; rm -rf "$ROOT"; kill $XVFB_PID 2>/dev/null' EXIT
# A copy of the show that any user can run: root runs the locked case as nobody, who may not be
# able to enter the checkout (a clone in root's home or in a mktemp -d folder).
chmod 755 "$ROOT"
cp "$1" "$ROOT/ordune"
SHOW=(env)
[ -n "${ORDUNE_TEST_PRELOAD:-}" ] && SHOW+=("LD_PRELOAD=$ORDUNE_TEST_PRELOAD")
AS=()
[ "$(id -u)" = 0 ] && AS=(setpriv --reuid=nobody --regid=nogroup --clear-groups)

# Deterministic noise: n bytes of a fixed-seed generator.
noise() {
    LC_ALL=C awk -v n="$1" 'BEGIN { srand(7); for (i = 0; i < n; i++) printf "%c", int(rand() * 256) }'
}

failures=0
cases=0
# check NAME PATTERN [VAR=VALUE...]: plays the show in $ROOT/NAME, made ready by the caller, in
# the given environment, and checks it. Every other case ends by SIGINT, the rest by SIGTERM.
check() {
    local name=$1 want=$2 dir="$ROOT/$1" err="$ROOT/$1.err" sig=TERM
    shift 2
    cases=$((cases + 1))
    [ $((cases % 2)) = 0 ] && sig=INT
    # In a subshell that the show replaces, so that $! is the show.
    case $name in
    gone) cd "$dir" && rmdir "$dir" && exec "${SHOW[@]}" "$ROOT/ordune" ;;
    # Locked from inside, since nobody could enter it afterwards.
    locked) cd "$dir" && chmod 0 "$dir" && exec "${AS[@]}" "${SHOW[@]}" "$ROOT/ordune" ;;
    *) cd "$dir" && exec "${SHOW[@]}" "$@" "$ROOT/ordune" ;;
    esac 2>"$err" >/dev/null &
    local pid=$!
    if ! wait_drawing $pid 120; then # limits only, for a loaded machine or the sanitizers
        kill -KILL $pid 2>/dev/null
        bad "no frame drawn: $(cat "$err")"
    elif ! { kill -$sig $pid && wait_exit $pid 30; }; then
        kill -KILL $pid
        bad "still running 30 s after SIG$sig"
    elif [ "$STATUS" != 0 ]; then
        bad "exit status $STATUS after SIG$sig: $(cat "$err")"
    elif [ "$name" = default_driver ] && [ ! -s "$err" ]; then
        echo "$name: an audio device was found"
    elif [ "$(wc -l <"$err")" != 1 ] || ! grep -q "^ordune: .*$want" "$err"; then
        bad "wanted one line matching '$want', got: $(cat "$err")"
    else
        echo "$name: $(cat "$err")"
    fi
}
bad() {
    echo "FAIL: $name: $*" >&2
    failures=$((failures + 1))
}
at() {
    mkdir -p "$ROOT/$1"
    echo "$ROOT/$1/music.xm"
}

at missing >/dev/null
check missing 'music.xm: No such file or directory'
: >"$(at empty)"
check empty 'music.xm: empty file'
size=$(stat -c %s "$GOOD")
head -c $((size / 2)) "$GOOD" >"$(at cut)"
check cut "music.xm: truncated: .* the file has $((size / 2))\b"
noise 4096 >"$(at noise)"
check noise 'music.xm: not an XM module'
(head -c 17 "$GOOD" && noise 4096) >"$(at signed_noise)" # noise for counts and lengths
check signed_noise 'music.xm: \(truncated\|libopenmpt cannot load it\)'
# A four-channel ProTracker module: 31 empty sample headers, one order, the "M.K." tag and one
# empty pattern. Valid in its own format, not an XM.
(head -c 950 /dev/zero && printf '\001\177' && head -c 128 /dev/zero && printf 'M.K.' &&
    head -c 1024 /dev/zero) >"$(at protracker)"
check protracker 'music.xm: not an XM module'
truncate -s 200M "$(at huge)" # sparse: 200 MB on paper, nothing on disk
check huge 'music.xm: larger than'
mkdir "$(at folder)"
check folder 'music.xm: not a regular file'
mkfifo "$(at pipe)"
check pipe 'music.xm: not a regular file'
cp "$GOOD" "$(at no_driver)"
check no_driver 'no audio device' SDL_AUDIODRIVER=nosuchdriver
cp "$GOOD" "$(at dummy_driver)"
check dummy_driver 'no audio device (the dummy audio driver)' SDL_AUDIODRIVER=dummy
# The platform's own audio: where it has no sound card, one line and not the sound library's
# complaints; where it has one, no line at all.
cp "$GOOD" "$(at default_driver)"
check default_driver 'no audio device'
# A working folder removed under the running show's feet: nothing can be read through it.
at gone >/dev/null
check gone 'music.xm: No such file or directory'
# A folder without permissions (root reads through those, so root runs it as nobody).
cp "$GOOD" "$(at locked)"
check locked 'music.xm: Permission denied'

[ $failures = 0 ] || fail "$failures of $cases cases"
echo "faults: $cases cases, each drawing with one line until signalled"

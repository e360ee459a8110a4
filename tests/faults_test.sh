#!/bin/bash
# The live show against faults at its edges: music.xm missing, empty, cut off, random bytes,
# another format, 200 MB, a folder or a pipe; no audio device; a working folder that cannot be
# read. Each case writes exactly one line on stderr naming the cause, keeps the show running, and
# ends with status 0 on SIGTERM or SIGINT.
# Usage: faults_test.sh path/to/ordune path/to/music.xm
# ORDUNE_TEST_PRELOAD, when set, is the show's LD_PRELOAD (the sanitizer run's); the test's own
# tools run without it.
set -u
EXE=$(realpath "$1")
SHOW=(env)
[ -n "${ORDUNE_TEST_PRELOAD:-}" ] && SHOW+=("LD_PRELOAD=$ORDUNE_TEST_PRELOAD")
GOOD=$(realpath "$2")
unset SDL_AUDIODRIVER
. "$(dirname "$0")/xvfb.sh"
xvfb_start
ROOT=$(mktemp -d)
trap 'chmod -R u+rwx "$ROOT" 2>/dev/null; rm -rf "$ROOT"; kill $XVFB_PID 2>/dev/null' EXIT
# Every case runs at once on the one server; they are started together and each must still be
# running this long after, past the start-up of the slowest on a loaded machine.
HOLD=8
# Up to this long for a show to end once signalled; a frame on llvmpipe takes well under that.
GRACE=20

# Deterministic noise: n bytes of a fixed-seed generator.
noise() {
    LC_ALL=C awk -v n="$1" 'BEGIN { srand(7); for (i = 0; i < n; i++) printf "%c", int(rand() * 256) }'
}

# A four-channel ProTracker module: 31 empty sample headers, one order, the "M.K." tag and one
# empty pattern. Valid in its own format, not an XM.
protracker() {
    head -c 950 /dev/zero
    printf '\001\177'
    head -c 128 /dev/zero
    printf 'M.K.'
    head -c 1024 /dev/zero
}

size=$(stat -c %s "$GOOD")
case_dir() {
    mkdir -p "$ROOT/$1"
    echo "$ROOT/$1"
}

# Cases: folder name, a pattern the one line must match, then the environment to run it in.
NAMES=()
WANTS=()
ENVS=()
add_case() {
    NAMES+=("$1")
    WANTS+=("$2")
    ENVS+=("${3:-}")
}

case_dir missing >/dev/null
add_case missing 'music.xm: No such file or directory'
: >"$(case_dir empty)/music.xm"
add_case empty 'music.xm: empty file'
# Inside the signature, inside the header, inside the first pattern, half way, one byte short.
for cut in 10 70 400 $((size / 2)) $((size - 1)); do
    head -c $cut "$GOOD" >"$(case_dir cut$cut)/music.xm"
done
add_case cut10 'music.xm: not an XM module'
for cut in 70 400 $((size / 2)) $((size - 1)); do
    add_case cut$cut "music.xm: truncated: .* the file has $cut\b"
done
noise 4096 >"$(case_dir noise)/music.xm"
add_case noise 'music.xm: not an XM module'
# Past the signature the header's counts and lengths are noise.
{
    head -c 17 "$GOOD"
    noise 4096
} >"$(case_dir signed_noise)/music.xm"
add_case signed_noise 'music.xm: \(truncated\|libopenmpt cannot load it\)'
protracker >"$(case_dir protracker)/music.xm"
add_case protracker 'music.xm: not an XM module'
# Sparse: 200 MB on paper, nothing on disk.
truncate -s 200M "$(case_dir huge)/music.xm"
add_case huge 'music.xm: larger than'
mkdir -p "$(case_dir folder)/music.xm"
add_case folder 'music.xm: not a regular file'
mkfifo "$(case_dir pipe)/music.xm"
add_case pipe 'music.xm: not a regular file'
cp "$GOOD" "$(case_dir no_driver)/music.xm"
add_case no_driver 'no audio device' SDL_AUDIODRIVER=nosuchdriver
# The platform's own audio: where it has no sound card, one line and not the sound library's
# complaints; where it has one, no line at all.
cp "$GOOD" "$(case_dir default_driver)/music.xm"
add_case default_driver 'no audio device'
cp "$GOOD" "$(case_dir dummy_driver)/music.xm"
add_case dummy_driver 'no audio device (the dummy audio driver)' SDL_AUDIODRIVER=dummy
# A working folder removed under the running show's feet: nothing can be read through it.
gone=$(case_dir gone)
add_case gone 'music.xm: No such file or directory'
# A folder without permissions. Root reads through those, so root runs that case as nobody.
locked=$(case_dir locked)
cp "$GOOD" "$locked/music.xm"
AS=()
[ "$(id -u)" = 0 ] && AS=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
add_case locked 'music.xm: Permission denied'

PIDS=()
for c in "${!NAMES[@]}"; do
    name=${NAMES[$c]}
    err="$ROOT/$name.err"
    if [ "$name" = gone ]; then
        (cd "$gone" && rmdir "$gone" && exec "${SHOW[@]}" "$EXE") 2>"$err" >/dev/null &
    elif [ "$name" = locked ]; then
        # Locked from inside, since nobody could enter it afterwards.
        (cd "$locked" && chmod 0 "$locked" && exec "${AS[@]}" "${SHOW[@]}" "$EXE") 2>"$err" >/dev/null &
    else
        # shellcheck disable=SC2086
        (cd "$ROOT/$name" && exec "${SHOW[@]}" ${ENVS[$c]} "$EXE") 2>"$err" >/dev/null &
    fi
    PIDS+=($!)
done

sleep $HOLD
failures=0
for c in "${!NAMES[@]}"; do
    kill -0 "${PIDS[$c]}" 2>/dev/null || {
        echo "FAIL: ${NAMES[$c]}: the show ended on its own:" >&2
        cat "$ROOT/${NAMES[$c]}.err" >&2
        failures=$((failures + 1))
    }
done
# Half the shows are ended by SIGTERM, half by SIGINT.
for c in "${!NAMES[@]}"; do
    sig=TERM
    [ $((c % 2)) = 1 ] && sig=INT
    kill -$sig "${PIDS[$c]}" 2>/dev/null
done

for c in "${!NAMES[@]}"; do
    name=${NAMES[$c]}
    err="$ROOT/$name.err"
    if ! wait_exit "${PIDS[$c]}" $GRACE; then
        echo "FAIL: $name: still running $GRACE s after the signal" >&2
        kill -KILL "${PIDS[$c]}"
        failures=$((failures + 1))
        continue
    fi
    if [ "$STATUS" != 0 ]; then
        echo "FAIL: $name: exit status $STATUS" >&2
        cat "$err" >&2
        failures=$((failures + 1))
        continue
    fi
    lines=$(wc -l <"$err")
    if [ "$name" = default_driver ] && [ "$lines" = 0 ]; then
        echo "$name: an audio device was found"
        continue
    fi
    if [ "$lines" != 1 ] || ! grep -q "^ordune: .*${WANTS[$c]}" "$err"; then
        echo "FAIL: $name: wanted one line matching '${WANTS[$c]}', got:" >&2
        cat "$err" >&2
        failures=$((failures + 1))
        continue
    fi
    echo "$name: $(cat "$err")"
done
[ $failures = 0 ] || fail "$failures of ${#NAMES[@]} cases"
echo "faults: ${#NAMES[@]} cases, each one line, the show running until signalled"

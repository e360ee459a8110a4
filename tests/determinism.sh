#!/bin/bash
# Two whole-show offline renders, run at the same time in separate processes, must agree byte for
# byte: every frame's PNG and the soundtrack's WAV. Unseeded generators, uninitialised memory or
# anything read from the clock or the address space would show up as a differing frame.
# Usage: determinism.sh path/to/ordune-render (music.xm beside it)
set -u
RENDER=$(realpath "$1")
DIR=$(mktemp -d)
trap 'rm -rf "$DIR"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
# Small frames keep the two renders to a minute or two on llvmpipe; the scenes' own code, which
# decides every pixel, runs in full whatever the size.
SIZE=160x120
FPS=10

cd "$(dirname "$RENDER")"
for run in a b; do
    mkdir "$DIR/$run"
    "$RENDER" --size $SIZE --fps $FPS -o "$DIR/$run" --audio "$DIR/$run.wav" \
        2>"$DIR/$run.err" &
    eval "pid_$run=$!"
done
# shellcheck disable=SC2154
wait "$pid_a" || fail "the first render failed: $(tail -1 "$DIR/a.err")"
# shellcheck disable=SC2154
wait "$pid_b" || fail "the second render failed: $(tail -1 "$DIR/b.err")"

frames=$(find "$DIR/a" -name '*.png' | wc -l)
[ "$frames" -ge 2000 ] || fail "the render wrote $frames frames, not the show's 2001"
[ "$(find "$DIR/b" -name '*.png' | wc -l)" = "$frames" ] || fail "the renders wrote different counts"
(cd "$DIR/a" && md5sum -- *.png) >"$DIR/a.sums"
(cd "$DIR/b" && md5sum -- *.png) >"$DIR/b.sums"
if ! cmp -s "$DIR/a.sums" "$DIR/b.sums"; then
    first=$(diff "$DIR/a.sums" "$DIR/b.sums" | awk '/^</ { print $3; exit }')
    count=$(diff "$DIR/a.sums" "$DIR/b.sums" | grep -c '^<')
    fail "$count frames differ, the first $first"
fi
cmp -s "$DIR/a.wav" "$DIR/b.wav" || fail "the soundtracks differ"
# A show that drew nothing would agree with itself too: most frames must differ from the next.
distinct=$(awk '{ print $1 }' "$DIR/a.sums" | uniq | wc -l)
[ "$distinct" -gt $((frames / 2)) ] || fail "only $distinct distinct frames of $frames"
echo "determinism: $frames frames at $SIZE, $FPS fps, and the WAV identical in two renders" \
    "($distinct distinct frames)"

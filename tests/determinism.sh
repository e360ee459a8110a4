#!/bin/bash
# Two whole-show offline renders, run at the same time in separate processes, must agree byte for
# byte: every frame's PNG and the soundtrack's WAV. Unseeded generators, uninitialised memory or
# anything read from the clock or the address space would show up as a differing frame.
# Usage: determinism.sh path/to/ordune-render (music.xm beside it)
set -u
RENDER=$(realpath "$1")
. "$(dirname "$0")/xvfb.sh" # fail
DIR=$(mktemp -d)
trap 'rm -rf "$DIR"' EXIT
cd "$(dirname "$RENDER")" || exit 1
# Small frames keep the two renders to a minute or two on llvmpipe; the scenes' own code, which
# decides every pixel, runs in full whatever the size.
for run in a b; do
    mkdir "$DIR/$run"
    "$RENDER" --size 160x120 --fps 10 -o "$DIR/$run" --audio "$DIR/$run.wav" 2>"$DIR/$run.err" &
    pids+=($!)
done
wait "${pids[0]}" || fail "the first render failed: $(tail -1 "$DIR/a.err")"
wait "${pids[1]}" || fail "the second render failed: $(tail -1 "$DIR/b.err")"

for run in a b; do
    (cd "$DIR/$run" && md5sum -- *.png) >"$DIR/$run.sums"
done
frames=$(wc -l <"$DIR/a.sums")
[ "$frames" -ge 2000 ] || fail "the render wrote $frames frames, not the show's 2001"
diff "$DIR/a.sums" "$DIR/b.sums" >"$DIR/diff" || fail "$(grep -c '^<' "$DIR/diff") frames differ"
cmp -s "$DIR/a.wav" "$DIR/b.wav" || fail "the soundtracks differ"
# A show that drew nothing would agree with itself too: most frames must differ from the next.
distinct=$(awk '{ print $1 }' "$DIR/a.sums" | uniq | wc -l)
[ "$distinct" -gt $((frames / 2)) ] || fail "only $distinct distinct frames of $frames"
echo "determinism: $frames frames and the WAV identical in two renders ($distinct distinct)"

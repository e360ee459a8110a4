#!/bin/bash
# The trace tool's command line: bad arguments exit with status 2 and one line pointing to
# --help; without music.xm it exits 1 with one line, unless --silent asks for the show without
# it; a frame prints one JSON object per batch with every key of the format and the scene that
# drew it, the same each time, and --summary one line per batch.
# Usage: trace_cli.sh path/to/ordune-trace (music.xm beside it)
set -u
TRACE=$(realpath "$1")
. "$(dirname "$0")/xvfb.sh" # fail
cd "$(dirname "$TRACE")" || exit 1
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

# One line on stderr naming the tool, nothing on stdout, the given status.
expect_status() {
    local want=$1
    shift
    "$@" >"$TMP/out.txt" 2>"$TMP/err.txt"
    local status=$?
    [ $status = "$want" ] || fail "'$*' exited with $status, not $want"
    [ -s "$TMP/out.txt" ] && fail "'$*' printed on stdout"
    [ "$(wc -l <"$TMP/err.txt")" = 1 ] || fail "'$*' printed $(wc -l <"$TMP/err.txt") lines"
    grep -q '^ordune-trace: ' "$TMP/err.txt" || fail "'$*' does not name itself: $(cat "$TMP/err.txt")"
}

for args in "" "--at" "--at soon" "--at 36 --fps 0" "--at 36 --fps 1/0" "--at 201" "--bogus" \
    "--summary=yes --at 3" "--scene nowhere --pos 0.5" "--scene alku" "--scene alku --pos 1.5" \
    "--scene alku --pos 0.5 --at 3"; do
    # shellcheck disable=SC2086
    expect_status 2 "$TRACE" $args
    grep -q '(see ordune-trace --help)$' "$TMP/err.txt" || fail "'$args' gives no hint to --help"
done
"$TRACE" -h | grep -q '^usage: ordune-trace' || fail "-h prints no usage"
"$TRACE" --version | grep -Eq '^ordune-trace [0-9]+\.[0-9]+\.[0-9]+$' || fail "--version prints no version"

# Without its music a trace would lack the cue pulses: refused, unless --silent.
(cd "$TMP" && expect_status 1 "$TRACE" --at 104) || exit 1
grep -q 'music.xm' "$TMP/err.txt" || fail "the refusal does not name music.xm"
(cd "$TMP" && "$TRACE" --at 104 --silent >"$TMP/silent.jsonl" 2>"$TMP/err.txt") ||
    fail "--silent without music.xm failed"
[ "$(grep -c 'silent' "$TMP/err.txt")" = 1 ] || fail "--silent does not say so once"

"$TRACE" --at=36 >"$TMP/frame.jsonl" || fail "--at=36 failed"
n=$(wc -l <"$TMP/frame.jsonl")
[ "$n" -ge 2 ] || fail "--at 36 printed $n batches; the two backdrops alone are two"
grep -vq '^{"scene":"[a-z]*","prim":"GL_' "$TMP/frame.jsonl" && fail "a line is not a batch object"
for key in n v t c blend src dst depth_test depth_mask line_width point_size texture mv proj; do
    bad=$(grep -vc "\"$key\":" "$TMP/frame.jsonl")
    [ "$bad" = 0 ] || fail "$bad batches lack \"$key\""
done
# At 36 s the bands come first, then rakenne draws (and nothing else).
scenes=$(sed 's/^{"scene":"\([a-z]*\)".*/\1/' "$TMP/frame.jsonl" | uniq | tr '\n' ' ')
[ "$scenes" = "backdrop rakenne " ] || fail "the batches at 36 s come from $scenes"
"$TRACE" --scene kellu --pos 0.5 | grep -vq '^{"scene":"kellu"' && fail "a scene alone is not named"
# Matrices carry 16 numbers: count the commas inside the mv array of the first line.
mv=$(head -1 "$TMP/frame.jsonl" | sed 's/.*"mv":\[\([^]]*\)\].*/\1/' | tr -cd , | wc -c)
[ "$mv" = 15 ] || fail "mv holds $((mv + 1)) numbers, not 16"
"$TRACE" --at 36 | cmp -s "$TMP/frame.jsonl" - || fail "two traces of the same frame differ"
[ "$("$TRACE" --at 36 --summary | wc -l)" = "$n" ] || fail "--summary lines differ from the batch count"
# The cue pulses come from the music: at 104 s the silent show draws another frame.
"$TRACE" --at 104 | cmp -s "$TMP/silent.jsonl" - && fail "the silent frame at 104 s equals the real one"
echo "trace cli: $n batches at 36 s; bad arguments exit 2, no music 1"

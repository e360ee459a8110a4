#!/bin/bash
# The trace tool's command line: bad arguments exit with status 2 and one message; a frame prints
# one JSON object per batch with every key of the format, the same each time, and --summary one
# line per batch. Usage: trace_cli.sh path/to/ordune-trace
set -u
TRACE=$(realpath "$1")
. "$(dirname "$0")/xvfb.sh" # fail
cd "$(mktemp -d)" || exit 1

for args in "" "--at" "--at soon" "--at 36 --fps 0" "--at 201" "--bogus" \
    "--scene nowhere --pos 0.5" "--scene alku" "--scene alku --pos 1.5" "--scene alku --pos 0.5 --at 3"; do
    # shellcheck disable=SC2086
    "$TRACE" $args >out.txt 2>err.txt
    status=$?
    [ $status = 2 ] || fail "'$args' exited with $status, not 2"
    [ -s out.txt ] && fail "'$args' printed on stdout"
    grep -q '^ordune-trace: ' err.txt || fail "'$args' gave no message"
done

"$TRACE" --at 36 >frame.jsonl || fail "--at 36 failed"
n=$(wc -l <frame.jsonl)
[ "$n" -ge 2 ] || fail "--at 36 printed $n batches; the two backdrops alone are two"
grep -vq '^{"prim":"GL_' frame.jsonl && fail "a line is not a batch object"
for key in n v t c blend src dst depth_test depth_mask line_width point_size texture mv proj; do
    bad=$(grep -vc "\"$key\":" frame.jsonl)
    [ "$bad" = 0 ] || fail "$bad batches lack \"$key\""
done
# Matrices carry 16 numbers: count the commas inside the mv array of the first line.
mv=$(head -1 frame.jsonl | sed 's/.*"mv":\[\([^]]*\)\].*/\1/' | tr -cd , | wc -c)
[ "$mv" = 15 ] || fail "mv holds $((mv + 1)) numbers, not 16"
"$TRACE" --at 36 | cmp -s frame.jsonl - || fail "two traces of the same frame differ"
[ "$("$TRACE" --at 36 --summary | wc -l)" = "$n" ] || fail "--summary lines differ from the batch count"
echo "trace cli: $n batches at 36 s; bad arguments exit 2"

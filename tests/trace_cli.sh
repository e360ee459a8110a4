#!/bin/bash
# The trace tool's command line: bad arguments exit with status 2 and one message; a frame
# prints one JSON object per batch with every key of the format, and --summary one line per
# batch. Usage: trace_cli.sh path/to/ordune-trace
set -u
TRACE=$(realpath "$1")
cd "$(mktemp -d)"
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

for args in "" "--at" "--at soon" "--at 36 --fps 0" "--at 201" "--at -1" "--bogus" \
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
for key in prim n v t c blend src dst depth_test depth_mask line_width point_size texture mv proj; do
    bad=$(grep -vc "\"$key\":" frame.jsonl)
    [ "$bad" = 0 ] || fail "$bad batches lack \"$key\""
done
grep -vq '^{"prim":"GL_' frame.jsonl && fail "a line is not a batch object"
# Matrices carry 16 numbers: count the commas inside the mv array of the first line.
mv=$(head -1 frame.jsonl | sed 's/.*"mv":\[\([^]]*\)\].*/\1/' | tr -cd , | wc -c)
[ "$mv" = 15 ] || fail "mv holds $((mv + 1)) numbers, not 16"

"$TRACE" --at 36 --summary >summary.txt || fail "--summary failed"
[ "$(wc -l <summary.txt)" = "$n" ] || fail "--summary lines differ from the batch count"
"$TRACE" --at 36 >again.jsonl
cmp -s frame.jsonl again.jsonl || fail "two traces of the same frame differ"
echo "trace cli: $n batches at 36 s; bad arguments exit 2"

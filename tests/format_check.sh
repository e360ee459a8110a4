#!/bin/sh
# Fails when a C++ source under the project is not formatted by its .clang-format.
cd "$1" || exit 2
files=$(git ls-files -co --exclude-standard -- '*.cpp' '*.h' 2>/dev/null)
[ -n "$files" ] || files=$(find engine molecules scenes data tools tests bench -name '*.cpp' -o -name '*.h')
bad=0
for f in $files; do
    [ -f "$f" ] || continue
    if ! clang-format --dry-run -Werror "$f" >/dev/null 2>&1; then
        echo "not formatted: $f"
        bad=1
    fi
done
exit $bad

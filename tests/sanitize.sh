#!/bin/bash
# The AddressSanitizer + UndefinedBehaviorSanitizer run behind `scripts/test --sanitize`: builds
# build-asan/, then runs the unit tests, a whole-show offline render at 320x240 and 10 fps
# through llvmpipe, and the live fault cases. Any sanitizer report fails it.
# Usage: tests/sanitize.sh (from anywhere; scripts/setup has installed the packages)
set -u
cd "$(dirname "$0")/.."
SRC=$(pwd)
BUILD="${ORDUNE_ASAN_DIR:-build-asan}"
FLAGS="-O1 -g -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=undefined"
. tests/xvfb.sh # fail

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    # The build type's own flags are emptied so that -O1 above is the optimisation in force.
    cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_FLAGS_RELWITHDEBINFO= -DCMAKE_C_FLAGS_RELWITHDEBINFO= \
        -DCMAKE_CXX_FLAGS="$FLAGS" -DCMAKE_C_FLAGS="$FLAGS" \
        -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null || fail "cmake"
fi
cmake --build "$BUILD" -j"$(nproc)" || fail "the sanitizer build"
BUILD=$(realpath "$BUILD")

export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$SRC/tests/lsan.supp:print_suppressions=0"
# Mesa unloads its driver when the last context goes; what the driver's globals held then looks
# lost to the leak checker, with no name to suppress it by. Keeping the driver loaded for the
# whole run leaves only real losses. The sanitizer runtimes must come first in the list.
PRELOAD="$(gcc -print-file-name=libasan.so):$(gcc -print-file-name=libubsan.so)"
for driver in /usr/lib/*/dri/swrast_dri.so; do
    [ -f "$driver" ] && PRELOAD="$PRELOAD:$driver"
done
echo "sanitize: unit tests"
(cd "$BUILD" && LD_PRELOAD="$PRELOAD" ./ordune_tests --gtest_brief=1) || fail "unit tests"

echo "sanitize: whole show offline at 320x240, 10 fps ($SECONDS s)"
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
(cd "$BUILD" && LD_PRELOAD="$PRELOAD" ./ordune-render --size 320x240 --fps 10 -o "$frames") || fail "the render"
n=$(find "$frames" -name '*.png' | wc -l)
[ "$n" -ge 2000 ] || fail "the render wrote $n frames, not the show's 2001"

echo "sanitize: live fault cases ($SECONDS s)"
ORDUNE_TEST_PRELOAD="$PRELOAD" tests/faults_test.sh "$BUILD/ordune" "$BUILD/music.xm" ||
    fail "live fault cases"

echo "sanitize: done, no sanitizer report ($SECONDS s)"

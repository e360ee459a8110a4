#!/bin/bash
# The web build draws the show's frames: one in each scene, drawn in headless Chromium (WebGL 2
# on SwiftShader) from build-web/ at the 60 fps virtual clock, against ordune-render's frame at
# the same time and size through the GLES 3 back end and through the platform GL. Rasterisers
# differ at edges; what is drawn may not: the mean absolute difference at most 3 of 255 per
# channel and no 32x32 block off by more than 16 on average.
# The live page starts on a click, draws the show as its music plays, and Escape ends it.
# Usage: web_test.sh path/to/ordune-render path/to/build-web (music.xm beside ordune-render)
set -u
HERE=$(dirname "$(realpath "$0")")
RENDER=$(realpath "$1")
WEB=$(realpath "$2")
. "$HERE/xvfb.sh" # fail
[ -f "$WEB/show.wasm" ] || fail "no web build in $WEB (scripts/web makes it)"
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
mkdir "$TMP/web" "$TMP/gl" "$TMP/es3"
SIZE=512x384
# The middle of each scene's window.
TIMES="11.75 30 49.65 69 90.5 112.5 132.5 151 169.5 189.4"

# shellcheck disable=SC2086
node "$HERE/web_frames.mjs" "$WEB" "$TMP/web" $SIZE $TIMES || fail "the page did not draw every frame"
# The live show as a visitor meets it; the picture after 8 s is the show's, not one colour.
node "$HERE/web_frames.mjs" "$WEB" "$TMP" 640x480 --live || fail "the live page failed"
colours=$(ffmpeg -v error -i "$TMP/live.png" -f rawvideo -pix_fmt rgb24 - | od -An -v -tu1 -w3 | sort -u | wc -l)
[ "$colours" -gt 100 ] || fail "the live page shows $colours colours after 8 s"

cd "$(dirname "$RENDER")" || exit 1
for t in $TIMES; do
    "$RENDER" --at "$t" --size $SIZE -o "$TMP/gl/$t.png" 2>/dev/null || fail "ordune-render --at $t failed"
    "$RENDER" --at "$t" --size $SIZE --gl es3 -o "$TMP/es3/$t.png" 2>/dev/null ||
        fail "ordune-render --gl es3 --at $t failed"
    for native in gl es3; do
        verdict=$(node "$HERE/image_compare.mjs" "$TMP/web/$t.png" "$TMP/$native/$t.png") ||
            fail "the page's frame at $t s against the $native render: $verdict"
        echo "$t s, page against $native: $verdict"
    done
done
echo "web: the page draws the frames of all ten scenes as the renderer does"

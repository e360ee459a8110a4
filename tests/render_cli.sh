#!/bin/bash
# The offline renderer end to end, at 160x120 and a few frames: each bad command line exits 2 with
# one line, run-time faults exit 1 with one line and leave no finished-looking file; the frame at
# 0 s is the clear grey; every scene draws in its window; a frame from --at equals the same frame
# of a sequence; a short video and WAV last exactly as long as the render; the cue sheet follows
# the soundtrack's tempo. Usage: render_cli.sh path/to/ordune-render (music.xm beside it).
set -u
RENDER=$(realpath "$1")
. "$(dirname "$0")/xvfb.sh" # fail
cd "$(dirname "$RENDER")" || exit 1
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
SIZE=160x120

# One line from us on stderr, nothing on stdout, the given status.
expect_status() {
    local want=$1
    shift
    "$@" >"$TMP/out.txt" 2>"$TMP/err.txt"
    local status=$?
    [ $status = "$want" ] || fail "'$*' exited with $status, not $want: $(cat "$TMP/err.txt")"
    [ -s "$TMP/out.txt" ] && fail "'$*' printed on stdout"
    grep -q '^ordune-render: ' "$TMP/err.txt" || fail "'$*' gave no message"
}

for args in "" "--bogus" "--at" "--at soon -o x.png" "--size 0x5 --at 1 -o x.png" \
    "--fps 0 --at 1 -o x.png" "--pos 0.5 -o x.png" "--scene nowhere --pos 0.5 -o x.png" \
    "--scene alku -o x.png" "--scene alku --pos 0.5 --video v.mp4" \
    "--scene alku --pos 0.5 --glow --size 160x120 -o x.png" "--cues --at 3" "--every 5 -o dir" \
    "--at 201 -o x.png" "--at 3 --video v.mp4" "--at 30" "--from 20 --to 10 -o dir" \
    "--contact-sheet s.png -o x" "--contact-sheet s.png --every 0" \
    "--contact-sheet s.png --size 160x120 --thumb 200x100" "--video v.mp4 --size 161x120"; do
    # shellcheck disable=SC2086
    expect_status 2 "$RENDER" $args
done
[ -e x.png ] && fail "a refused command wrote x.png"

# Run-time faults: unwritable output, ffmpeg missing, no EGL vendor, no music for the cues.
expect_status 1 "$RENDER" --at 1 --size $SIZE -o /nonexistent-folder/f.png
expect_status 1 env PATH=/nonexistent "$RENDER" --from 1 --to 1.1 --size $SIZE --video "$TMP/v.mp4"
grep -q ffmpeg "$TMP/err.txt" || fail "the missing-ffmpeg message does not name ffmpeg"
ls "$TMP"/v.mp4* >/dev/null 2>&1 && fail "a failed video left $(ls "$TMP"/v.mp4*)"
expect_status 1 env __EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json "$RENDER" --at 1 --size $SIZE \
    -o "$TMP/f.png"
grep -qi 'opengl\|egl' "$TMP/err.txt" || fail "the no-EGL message does not name EGL"
[ -e "$TMP/f.png" ] && fail "a failed render wrote f.png"
(cd "$TMP" && expect_status 1 "$RENDER" --cues) || exit 1
[ "$(wc -l <"$TMP/err.txt")" = 1 ] || fail "--cues without music.xm printed more than one line"

# The pixels of a 160-pixel-wide PNG, "R G B" a line, rows top to bottom.
pixels() {
    ffmpeg -v error -i "$1" -f rawvideo -pix_fmt rgb24 - | od -An -v -tu1 -w3 | sed 's/^ *//; s/  */ /g'
}
"$RENDER" --at 0 --size $SIZE -o "$TMP/f0.png" 2>/dev/null || fail "--at 0 failed"
[ "$(pixels "$TMP/f0.png" | sort -u)" = "190 196 204" ] || fail "the frame at 0 s is not all harmaa grey"
# The backdrops are bands the full width of the frame, so alone they leave every row one colour;
# a row of several is something a scene drew. Each scene at its window's middle, at 10 fps so
# that the frames before it play through quickly.
for mid in alku:11.75 rakenne:30 viivatus:49.65 pyorre:69 ruutu:90.5 kasvu:112.5 aukko:132.5 \
    perhonen:151 virta:169.5 kaupunki:189.4; do
    "$RENDER" --at "${mid#*:}" --fps 10 --size $SIZE -o "$TMP/s.png" 2>/dev/null || fail "--at $mid failed"
    pixels "$TMP/s.png" | awk '{ r = int((NR - 1) / 160) } r in prev && prev[r] != $0 { mixed = 1 }
        { prev[r] = $0 } END { exit !mixed }' || fail "${mid%%:*} draws nothing at ${mid#*:} s"
done

"$RENDER" --at 30 --size $SIZE -o "$TMP/at30.png" 2>/dev/null || fail "--at 30 failed"
"$RENDER" --from 29.9 --to 30.1 --size $SIZE -o "$TMP/seq" 2>"$TMP/err.txt" ||
    fail "the sequence failed: $(cat "$TMP/err.txt")"
[ "$(ls "$TMP/seq" | wc -l)" = 13 ] || fail "29.9..30.1 s at 60 fps is 13 frames, not $(ls "$TMP/seq" | wc -l)"
cmp -s "$TMP/at30.png" "$TMP/seq/001800.png" || fail "frame 1800 of the sequence differs from --at 30"
grep -q '100%' "$TMP/err.txt" || fail "no progress line reached 100%"

# 11 frames at 10 fps: 1.1 s of video and of sound, 48510 stereo samples of 4 bytes.
"$RENDER" --from 10 --to 11 --fps 10 --size $SIZE --video "$TMP/v.mp4" --audio "$TMP/a.wav" \
    2>"$TMP/err.txt" || fail "the video failed: $(cat "$TMP/err.txt")"
probe() {
    ffprobe -v error -show_entries "$2" -of csv=p=0 "$1"
}
frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames \
    -of csv=p=0 "$TMP/v.mp4")
[ "$frames" = 11 ] || fail "the video has $frames frames, not 11"
duration=$(ffprobe -v error -select_streams v:0 -show_entries stream=duration -of csv=p=0 "$TMP/v.mp4")
awk -v d="$duration" 'BEGIN { exit !(d > 1.099 && d < 1.101) }' || fail "the video lasts $duration s"
probe "$TMP/v.mp4" stream=codec_name | grep -q aac || fail "the video carries no soundtrack"
[ "$(stat -c %s "$TMP/a.wav")" = $((44 + 48510 * 4)) ] || fail "the WAV is $(stat -c %s "$TMP/a.wav") bytes"
probe "$TMP/a.wav" stream=codec_name,sample_rate,channels | grep -q '^pcm_s16le,44100,2$' ||
    fail "the WAV is not 44100 Hz 16-bit stereo"
# The sound of 10..11 s is the same samples whether the render starts there or at 0.
"$RENDER" --to 11 --fps 10 --audio "$TMP/a0.wav" 2>/dev/null || fail "--audio from 0 failed"
cmp -s <(tail -c +$((44 + 441000 * 4 + 1)) "$TMP/a0.wav") <(tail -c +45 "$TMP/a.wav") ||
    fail "the sound from 10 s differs from that stretch of a render from 0 s"
ls "$TMP"/*.part >/dev/null 2>&1 && fail "a finished render left .part files"

# Three thumbnails of 40x30 in one row, each with its label under it.
"$RENDER" --contact-sheet "$TMP/sheet.png" --to 10 --every 5 --size $SIZE 2>/dev/null ||
    fail "the contact sheet failed"
dims=$(ffprobe -v error -show_entries stream=width,height -of csv=p=0 "$TMP/sheet.png")
[ "$dims" = "152,64" ] || fail "the contact sheet of three 40x30 thumbnails is $dims"

# The soundtrack runs at speed 3 and 170 BPM; a tick is the whole number of samples at 44100 Hz
# that the player mixes (648), so an order lasts 2.8212 s against the nominal 2.8235 s.
"$RENDER" --cues=csv >"$TMP/cues.csv" 2>"$TMP/err.txt" || fail "--cues=csv failed: $(cat "$TMP/err.txt")"
[ "$(head -1 "$TMP/cues.csv")" = "scene,track,order,row,time_s,fires" ] || fail "the CSV header is wrong"
awk -F, 'NR > 1 && $5 != "" {
        n++
        e = ($3 * 64 + $4) * 3 * 648 / 44100
        if ($5 < e - 0.0005 || $5 > e + 0.002) { print "off the tempo: " $0 " (" e ")"; bad++ }
        if ($6 != "yes" && $6 != "no") { print "fires is neither yes nor no: " $0; bad++ }
    } END { if (n < 10) { print "fewer than 10 events reached"; bad++ } exit bad > 0 }' "$TMP/cues.csv" ||
    fail "the cue times disagree with the tempo"
"$RENDER" --cues 2>/dev/null | grep -q 'events, .* fire, .* missed' || fail "the table has no summary line"
echo "render cli: frames, sequence, video, WAV and $(($(wc -l <"$TMP/cues.csv") - 1)) cues check out"

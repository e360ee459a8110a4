#!/bin/bash
# The offline renderer end to end, at small sizes and a few frames: each bad command line exits 2
# with one line pointing to --help; run-time faults (no music.xm among them) exit 1 with one line
# and leave no finished-looking file; the frame at 0 s is the clear grey; every scene draws in its
# window; a frame from --at equals the same frame of a sequence; --to is exclusive; a short video
# in each format and a WAV last exactly as long as the render; the 4:3 picture between bars is
# the picture rendered at the bars' inner size; supersampling is deterministic; a signal leaves
# nothing behind; the cue sheet follows the soundtrack's tempo.
# Usage: render_cli.sh path/to/ordune-render (music.xm beside it).
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
    [ "$(grep -vc ', OpenGL [0-9]' "$TMP/err.txt")" = 1 ] || fail "'$*' printed: $(cat "$TMP/err.txt")"
    grep -q '^ordune-render: ' "$TMP/err.txt" || fail "'$*' gave no message"
}

for args in "" "--bogus" "--at" "--at soon -o x.png" "--size 0x5 --at 1 -o x.png" \
    "--fps 0 --at 1 -o x.png" "--pos 0.5 -o x.png" "--scene nowhere --pos 0.5 -o x.png" \
    "--scene alku -o x.png" "--scene alku --pos 0.5 --video v.mp4" \
    "--scene alku --pos 0.5 --glow --size 160x120 -o x.png" "--cues --at 3" "--every 5 -o dir" \
    "--at 201 -o x.png" "--at 3 --video v.mp4" "--at 30" "--from 20 --to 10 -o dir" \
    "--contact-sheet s.png -o x" "--contact-sheet s.png --every 0" \
    "--contact-sheet s.png --size 160x120 --thumb 200x100" "--video v.mp4 --size 161x120" \
    "--from 10 --to 10 -o dir" "--fps 1/0 --at 1 -o x.png" "--fps 1001 --at 1 -o x.png" \
    "--video v.avi" "--video v.webm --crf 64" "--video v.mp4 --crf 52" "--crf 20 -o dir" \
    "--ssaa 5 --at 1 -o x.png" "--ssaa 4 --size 8192x6144 --at 1 -o x.png" "--glow=1" \
    "--by-time" "--cues --silent" "--cues --by-time=yes" "--gl es4 --at 1 -o x.png"; do
    # shellcheck disable=SC2086
    expect_status 2 "$RENDER" $args
    grep -q '(see ordune-render --help)$' "$TMP/err.txt" || fail "'$args' gives no hint to --help"
done
"$RENDER" -h | grep -q '^usage: ordune-render' || fail "-h prints no usage"
"$RENDER" --version | grep -Eq '^ordune-render [0-9]+\.[0-9]+\.[0-9]+$' || fail "--version prints no version"
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
# Without its music a render would lack the cue pulses and the sound: refused, unless --silent,
# which says so once.
for args in --cues "--at 104 -o f.png" "--to 1 --audio a.wav" "--scene alku --pos 0.5 -o f.png"; do
    # shellcheck disable=SC2086
    (cd "$TMP" && expect_status 1 "$RENDER" $args --size $SIZE) || exit 1
    grep -q 'music.xm' "$TMP/err.txt" || fail "'$args' without music.xm does not name it"
done
ls "$TMP"/f.png* "$TMP"/a.wav* >/dev/null 2>&1 && fail "a refused render left a file"
(cd "$TMP" && "$RENDER" --at 104 --size $SIZE -o "$TMP/silent.png" --silent 2>"$TMP/err.txt") ||
    fail "--silent without music.xm failed"
[ "$(grep -c 'silent' "$TMP/err.txt")" = 1 ] || fail "--silent does not say so once"

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

"$RENDER" --at 104 --size $SIZE -o "$TMP/at104.png" 2>/dev/null || fail "--at 104 failed"
cmp -s "$TMP/at104.png" "$TMP/silent.png" && fail "the silent frame at 104 s equals the real one"
"$RENDER" --at 30 --size $SIZE -o "$TMP/at30.png" 2>/dev/null || fail "--at 30 failed"
"$RENDER" --from 29.9 --to=30.1 --size $SIZE -o "$TMP/seq" 2>"$TMP/err.txt" ||
    fail "the sequence failed: $(cat "$TMP/err.txt")"
[ "$(ls "$TMP/seq" | wc -l)" = 12 ] || fail "29.9..30.1 s at 60 fps is 12 frames, not $(ls "$TMP/seq" | wc -l)"
[ -e "$TMP/seq/001805.png" ] && [ ! -e "$TMP/seq/001806.png" ] || fail "--to 30.1 is not exclusive"
"$RENDER" --to 1 --fps 29.97 --size $SIZE -o "$TMP/ntsc" 2>/dev/null || fail "--fps 29.97 failed"
[ "$(ls "$TMP/ntsc" | wc -l)" = 30 ] || fail "1 s at 29.97 fps is 30 frames, not $(ls "$TMP/ntsc" | wc -l)"
# Frame 15 at 30000/1001 fps lies at 15 * 1001 / 30000 = 0.5005 s, in either spelling.
"$RENDER" --at 0.5005 --fps 30000/1001 --size $SIZE -o "$TMP/f15.png" 2>/dev/null &&
    cmp -s "$TMP/f15.png" "$TMP/ntsc/000015.png" || fail "frame 15 at 30000/1001 fps differs from 29.97's"
cmp -s "$TMP/at30.png" "$TMP/seq/001800.png" || fail "frame 1800 of the sequence differs from --at 30"
grep -q '100%' "$TMP/err.txt" || fail "no progress line reached 100%"

# 10..11 s at 10 fps is 10 frames: 1 s of video and of sound, 44100 stereo samples of 4 bytes,
# in every container, each stream tagged BT.709.
probe() {
    ffprobe -v error -show_entries "$2" -of csv=p=0 "$1"
}
for format in mp4:h264:aac mov:h264:aac mkv:h264:aac webm:vp9:opus; do
    IFS=: read -r ext vcodec acodec <<<"$format"
    audio=()
    [ "$ext" = mp4 ] && audio=(--audio "$TMP/a.wav")
    "$RENDER" --from 10 --to 11 --fps 10 --size $SIZE --video "$TMP/v.$ext" "${audio[@]}" \
        2>"$TMP/err.txt" || fail "the .$ext video failed: $(cat "$TMP/err.txt")"
    frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames \
        -of csv=p=0 "$TMP/v.$ext")
    [ "$frames" = 10 ] || fail "the .$ext video has $frames frames, not 10"
    [ "$(probe "$TMP/v.$ext" stream=codec_type,codec_name | sort | tr '\n' ' ')" = "$acodec,audio $vcodec,video " ] ||
        fail "the .$ext video holds $(probe "$TMP/v.$ext" stream=codec_name | tr '\n' ' ')"
    [ "$(ffprobe -v error -select_streams v:0 -show_entries \
        stream=color_space,color_transfer,color_primaries -of csv=p=0 "$TMP/v.$ext")" = bt709,bt709,bt709 ] ||
        fail "the .$ext video is not tagged BT.709"
done
duration=$(probe "$TMP/v.mp4" format=duration)
awk -v d="$duration" 'BEGIN { exit !(d > 0.999 && d < 1.001) }' || fail "the video lasts $duration s"
[ "$(stat -c %s "$TMP/a.wav")" = $((44 + 44100 * 4)) ] || fail "the WAV is $(stat -c %s "$TMP/a.wav") bytes"
probe "$TMP/a.wav" stream=codec_name,sample_rate,channels | grep -q '^pcm_s16le,44100,2$' ||
    fail "the WAV is not 44100 Hz 16-bit stereo"
# A lower CRF spends more bits on the same frames.
"$RENDER" --from 10 --to 11 --fps 10 --size $SIZE --crf=4 --video "$TMP/fine.mp4" 2>/dev/null ||
    fail "--crf 4 failed"
[ "$(stat -c %s "$TMP/fine.mp4")" -gt "$(stat -c %s "$TMP/v.mp4")" ] || fail "--crf 4 is no larger than 18"
# The sound of 10..11 s is the same samples whether the render starts there or at 0.
"$RENDER" --to 11 --fps 10 --audio "$TMP/a0.wav" 2>/dev/null || fail "--audio from 0 failed"
cmp -s <(tail -c +$((44 + 441000 * 4 + 1)) "$TMP/a0.wav") <(tail -c +45 "$TMP/a.wav") ||
    fail "the sound from 10 s differs from that stretch of a render from 0 s"
ls "$TMP"/*.part >/dev/null 2>&1 && fail "a finished render left .part files"

# Two thumbnails of 40x30 in one row (0 and 5 s; --to is exclusive), each with its two lines
# of label under it, 18 pixels a line.
"$RENDER" --contact-sheet "$TMP/sheet.png" --to 10 --every 5 --size $SIZE 2>/dev/null ||
    fail "the contact sheet failed"
dims=$(ffprobe -v error -show_entries stream=width,height -of csv=p=0 "$TMP/sheet.png")
[ "$dims" = "104,86" ] || fail "the contact sheet of two 40x30 thumbnails is $dims"

# The mean absolute difference of two equal-sized pictures, per channel, in 0..255.
mean_difference() {
    ffmpeg -v error -i "$1" -i "$2" -filter_complex "[0:v][1:v]blend=all_mode=difference,format=gray" \
        -f rawvideo -pix_fmt gray - | od -An -v -tu1 | awk '{ for (i = 1; i <= NF; i++) { s += $i; n++ } }
        END { printf "%.2f", s / n }'
}
# At 16:9 the 4:3 picture lies between bars and is, pixel for pixel, the picture rendered at the
# bars' inner size; --fill draws to the edges instead.
"$RENDER" --at 12 --size 320x180 -o "$TMP/wide.png" 2>/dev/null || fail "the 320x180 frame failed"
"$RENDER" --at 12 --size 240x180 -o "$TMP/box.png" 2>/dev/null || fail "the 240x180 frame failed"
ffmpeg -v error -i "$TMP/wide.png" -vf crop=240:180:40:0 "$TMP/inner.png"
cmp -s <(pixels "$TMP/inner.png") <(pixels "$TMP/box.png") || fail "the picture between the bars differs"
[ "$(ffmpeg -v error -i "$TMP/wide.png" -vf crop=40:180:0:0 -f rawvideo -pix_fmt gray - | tr -d '\0' | wc -c)" = 0 ] ||
    fail "the left bar is not black"
"$RENDER" --at 12 --size 320x180 --fill -o "$TMP/fill.png" 2>/dev/null || fail "--fill failed"
[ "$(ffmpeg -v error -i "$TMP/fill.png" -vf crop=40:180:0:0 -f rawvideo -pix_fmt gray - | tr -d '\0' | wc -c)" -gt 0 ] ||
    fail "--fill leaves the left edge black"

# Supersampling: the same every time, near the 1x frame, and not the 1x frame.
for run in 1 2; do
    "$RENDER" --at 104 --size $SIZE --ssaa 3 -o "$TMP/ss$run.png" 2>/dev/null || fail "--ssaa 3 failed"
done
cmp -s "$TMP/ss1.png" "$TMP/ss2.png" || fail "two --ssaa 3 renders differ"
d=$(mean_difference "$TMP/ss1.png" "$TMP/at104.png")
awk -v d="$d" 'BEGIN { exit !(d > 0 && d < 8) }' || fail "--ssaa 3 lies $d from the 1x frame"

# A signal during a video stops ffmpeg, removes the temporary folder and leaves no video, and the
# exit status tells which signal. Ready when the encoder's log appears in the temporary folder.
mkdir "$TMP/scratch"
for sig in INT:130 TERM:143; do
    TMPDIR="$TMP/scratch" "$RENDER" --size $SIZE --video "$TMP/cut.mp4" 2>/dev/null &
    pid=$!
    until ls "$TMP"/scratch/*/encode.log >/dev/null 2>&1; do
        kill -0 $pid 2>/dev/null || fail "the render ended before its encoder started"
        sleep 0.05
    done
    kill -"${sig%:*}" $pid
    wait $pid
    status=$?
    [ $status = "${sig#*:}" ] || fail "SIG${sig%:*} ended the render with $status, not ${sig#*:}"
    [ -z "$(ls -A "$TMP/scratch")" ] || fail "SIG${sig%:*} left $(ls -A "$TMP/scratch")"
    ls "$TMP"/cut.mp4* >/dev/null 2>&1 && fail "SIG${sig%:*} left $(ls "$TMP"/cut.mp4*)"
    pgrep -f "$TMP/scratch" >/dev/null && fail "SIG${sig%:*} left ffmpeg running"
done

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
# In time order: the times never fall back, and the events never reached come last.
"$RENDER" --cues=csv --by-time 2>/dev/null | awk -F, 'NR > 1 {
        if ($5 == "") blank = 1
        else if (blank || $5 + 0 < last) bad++
        else last = $5 + 0
    } END { exit bad > 0 || NR < 10 }' || fail "--by-time is not in time order"
cmp -s <(sort "$TMP/cues.csv") <("$RENDER" --cues=csv --by-time 2>/dev/null | sort) ||
    fail "--by-time lists other cues"
echo "render cli: frames, sequence, video, WAV and $(($(wc -l <"$TMP/cues.csv") - 1)) cues check out"

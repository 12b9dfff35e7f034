#!/usr/bin/env bash
# `horaz render` burning in a timecode against ffmpeg's drawtext burning in a
# timecode of the same size, timed as a user times them: whole processes,
# start-up included, run as interleaved pairs (horaz, ffmpeg, horaz, ...) so
# that both see the same machine, and the median of the runs reported, wall
# and CPU time (user + system, all threads) each.
#
#   bench/cli_vs_ffmpeg/run.sh [path/to/horaz]
#
# Pairs:
#   y4m-420-null, y4m-422-null  500 frames of 1080p25 YUV4MPEG2 (4:2:0 and
#       4:2:2, read from the page cache) to /dev/null; both write the same
#       stream: Y4M 4:2:2 in studio range, which is what horaz writes for
#       its YCbCr frames (ffmpeg's own 4:2:0 output is shown too, as a
#       reference row without a target)
#   y4m-420-file, y4m-422-file  the same into a file on disk (removed after
#       each run; the writes reach the page cache, not necessarily the disk)
#   mp4          a 720p29.97 H.264 clip of 120 frames with sound to .mp4 with
#       the same encoder settings (libx264 CRF 18, 4:2:0, sound copied,
#       +faststart): horaz decodes and encodes it with its codec modules
#       (libavcodec in its own process; ffmpeg processes where they are absent)
#   mp4, the encoding alone (floor)  ffmpeg encoding horaz's frames of that
#       clip from a file, same settings, against drawtext: what the encoder
#       alone costs on horaz's frames (no target)
#   startup      `horaz render --frames 1` of one 1080p frame to /dev/null
#
# Environment: FRAMES (500), RUNS (5, at least 5 for the report), PAIRS (all,
# or a space-separated list of the names above), WORK (a folder on the disk
# to test, default a temporary folder under $TMPDIR).
#
# Same size: the digital clock's font is Size% x height / 2 x 32 / 100
# points; with Size 20 on 1080 rows that is 34 pt, 45 pixels at 96 dpi, and
# drawtext's fontsize is in pixels. Both draw Liberation Sans in grey on a
# dark box at 90% of the height.
set -euo pipefail

horaz=${1:-build/horaz}
frames=${FRAMES:-500}
runs=${RUNS:-5}
pairs=${PAIRS:-"y4m-420-null y4m-422-null y4m-420-file y4m-422-file mp4 startup"}

command -v ffmpeg >/dev/null || { echo "needs ffmpeg (Debian: apt-get install ffmpeg)" >&2; exit 1; }
[[ -x $horaz ]] || { echo "no horaz at $horaz (build it, or pass its path)" >&2; exit 1; }
horaz=$(realpath "$horaz")

work=$(mktemp -d "${WORK:-${TMPDIR:-/tmp}}/horaz-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

font=$(fc-match -f '%{file}' 'Liberation Sans' 2>/dev/null || true)
[[ -n $font ]] || font=/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf

wanted() { [[ " $pairs " == *" $1 "* ]]; }

make_y4m() {  # chroma
  [[ -f $work/in$1.y4m ]] && return
  echo "making $frames frames of 1920x1080 $1 YUV4MPEG2 ..." >&2
  ffmpeg -hide_banner -loglevel error -f lavfi -i "testsrc2=size=1920x1080:rate=25" -frames:v "$frames" \
    -pix_fmt "yuv$1p" -y "$work/in$1.y4m"
  cat "$work/in$1.y4m" >/dev/null  # both read it from the page cache
}

drawtext() {  # rate
  echo "drawtext=fontfile=$font:timecode='00\:00\:00\:00':rate=$1:fontsize=45:fontcolor=0x808080:box=1:boxcolor=0x323232:x=(w-tw)/2:y=h*0.9-th/2"
}
clock=(--clock digital --style tc --set Y=90 --set Size=20)

# "WALL CPU" seconds of one run of the command, its output thrown away.
seconds() {
  local TIMEFORMAT='%R %U %S' measured
  measured=$({ time "$@" >/dev/null 2>"$work/stderr"; } 2>&1) || {
    echo "failed: $*" >&2
    cat "$work/stderr" >&2
    exit 1
  }
  awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }' <<<"$measured"
}

# The median of a column of numbers.
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

results=()  # "name|horaz wall|horaz cpu|ffmpeg wall|ffmpeg cpu|wall target|cpu target"

# pair NAME WALL_TARGET CPU_TARGET -- HORAZ COMMAND -- FFMPEG COMMAND [-- CLEANUP COMMAND]
pair() {
  local name=$1 wall_target=$2 cpu_target=$3
  shift 4
  local horaz_command=() ffmpeg_command=() cleanup=()
  while [[ $1 != -- ]]; do horaz_command+=("$1"); shift; done
  shift
  while [[ $# -gt 0 && $1 != -- ]]; do ffmpeg_command+=("$1"); shift; done
  [[ $# -gt 0 ]] && { shift; cleanup=("$@"); }
  local h=() f=()
  for ((i = 0; i < runs; ++i)); do
    h+=("$(seconds "${horaz_command[@]}")")
    ((${#cleanup[@]})) && "${cleanup[@]}"
    f+=("$(seconds "${ffmpeg_command[@]}")")
    ((${#cleanup[@]})) && "${cleanup[@]}"
  done
  results+=("$name|$(printf '%s\n' "${h[@]}" | cut -d' ' -f1 | median)|$(printf '%s\n' "${h[@]}" | cut -d' ' -f2 | median)|$(printf '%s\n' "${f[@]}" | cut -d' ' -f1 | median)|$(printf '%s\n' "${f[@]}" | cut -d' ' -f2 | median)|$wall_target|$cpu_target")
  echo "  $name done" >&2
}

for chroma in 420 422; do
  wanted "y4m-$chroma-null" || wanted "y4m-$chroma-file" || continue
  make_y4m "$chroma"
  input=$work/in$chroma.y4m
  if wanted "y4m-$chroma-null"; then
    pair "y4m-$chroma-null" 0.8 1.0 -- "$horaz" render -q -i "$input" --format cbycry "${clock[@]}" -o - -- \
      ffmpeg -hide_banner -loglevel error -nostdin -i "$input" -vf "$(drawtext 25)" -pix_fmt yuv422p \
      -f yuv4mpegpipe -
    pair "y4m-$chroma-null, ffmpeg writing $chroma" - - -- "$horaz" render -q -i "$input" --format cbycry \
      "${clock[@]}" -o - -- \
      ffmpeg -hide_banner -loglevel error -nostdin -i "$input" -vf "$(drawtext 25)" -f yuv4mpegpipe -
  fi
  if wanted "y4m-$chroma-file"; then
    pair "y4m-$chroma-file" 1.0 - -- "$horaz" render -q -i "$input" --format cbycry "${clock[@]}" \
      -o "$work/out.y4m" -- \
      ffmpeg -hide_banner -loglevel error -nostdin -i "$input" -vf "$(drawtext 25)" -pix_fmt yuv422p \
      -f yuv4mpegpipe -y "$work/out.y4m" -- rm -f "$work/out.y4m"
  fi
done

if wanted mp4; then
  echo "making a 720p29.97 H.264 clip of 120 frames with sound ..." >&2
  ffmpeg -hide_banner -loglevel error -f lavfi -i "testsrc2=size=1280x720:rate=30000/1001" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000" -frames:v 120 -shortest -c:v libx264 -crf 18 \
    -pix_fmt yuv420p -c:a aac -y "$work/in.mp4"
  pair mp4 1.05 - -- "$horaz" render -q -i "$work/in.mp4" --format cbycry "${clock[@]}" -o "$work/out.mp4" -- \
    ffmpeg -hide_banner -loglevel error -nostdin -i "$work/in.mp4" -vf "$(drawtext 30000/1001)" -c:v libx264 \
    -crf 18 -pix_fmt yuv420p -c:a copy -movflags +faststart -y "$work/out.mp4" -- rm -f "$work/out.mp4"
  # The floor of that pair: ffmpeg encoding horaz's frames, already rendered and
  # in 4:2:0 in the page cache, with the same settings. Whatever horaz costs
  # beyond this row is the decoding, the render and the conversions.
  "$horaz" render -q -i "$work/in.mp4" --format cbycry "${clock[@]}" -o "$work/frames422.y4m"
  ffmpeg -hide_banner -loglevel error -nostdin -i "$work/frames422.y4m" -pix_fmt yuv420p -y "$work/frames.y4m"
  rm -f "$work/frames422.y4m"
  pair "mp4, the encoding alone (floor)" - - -- ffmpeg -hide_banner -loglevel error -nostdin -i "$work/frames.y4m" \
    -i "$work/in.mp4" -map 0:v:0 -map 1:a -c:v libx264 -crf 18 -pix_fmt yuv420p -c:a copy -movflags +faststart \
    -y "$work/out.mp4" -- \
    ffmpeg -hide_banner -loglevel error -nostdin -i "$work/in.mp4" -vf "$(drawtext 30000/1001)" -c:v libx264 \
    -crf 18 -pix_fmt yuv420p -c:a copy -movflags +faststart -y "$work/out.mp4" -- rm -f "$work/out.mp4"
fi

if wanted startup; then
  make_y4m 420
  starts=()
  for ((i = 0; i < runs; ++i)); do
    starts+=("$(seconds "$horaz" render -q -i "$work/in420.y4m" --format cbycry "${clock[@]}" --frames 1 -o -)")
  done
  results+=("startup, --frames 1 of 1080p|$(printf '%s\n' "${starts[@]}" | cut -d' ' -f1 | median)|$(printf '%s\n' "${starts[@]}" | cut -d' ' -f2 | median)|-|-|0.1 s|-")
fi

echo "horaz render against ffmpeg drawtext: $frames frames, median of $runs interleaved pairs, $(nproc) cores"
printf '%-36s %9s %9s %9s %9s %7s %7s  %s\n' pair "horaz s" "CPU s" "ffmpeg s" "CPU s" wall CPU "targets (wall, CPU)"
failed=0
for row in "${results[@]}"; do
  IFS='|' read -r name hw hc fw fc wt ct <<<"$row"
  if [[ $fw == - ]]; then
    printf '%-36s %9s %9s %9s %9s %7s %7s  %s\n' "$name" "$hw" "$hc" - - - - "wall < $wt"
    awk -v w="$hw" -v t="${wt% s}" 'BEGIN { exit !(w < t) }' || failed=1
    continue
  fi
  read -r wall cpu < <(awk -v hw="$hw" -v hc="$hc" -v fw="$fw" -v fc="$fc" 'BEGIN { printf "%.2f %.2f\n", hw / fw, hc / fc }')
  verdict=""
  [[ $wt != - ]] && { awk -v r="$wall" -v t="$wt" 'BEGIN { exit !(r <= t) }' && verdict+="wall ok " || { verdict+="WALL OVER "; failed=1; }; }
  [[ $ct != - ]] && { awk -v r="$cpu" -v t="$ct" 'BEGIN { exit !(r <= t) }' && verdict+="CPU ok" || { verdict+="CPU OVER"; failed=1; }; }
  printf '%-36s %9s %9s %9s %9s %6sx %6sx  %s %s\n' "$name" "$hw" "$hc" "$fw" "$fc" "$wall" "$cpu" \
    "($wt, $ct)" "$verdict"
done
exit "$failed"

#!/usr/bin/env bash
# The frei0r filter's own cost per 1080p frame inside ffmpeg, against
# ffmpeg's drawtext burning in a timecode of the same size on the same RGBA
# graph, in one run; and `horaz render`'s cost per frame for the same clock,
# which the filter should not exceed. Each cost is the CPU time (user +
# system) of the run minus that of the same graph without the clock, per
# frame; the fastest of RUNS runs counts.
#
#   bench/frei0r/run.sh [path/to/build]
#
# Environment: FRAMES (100), RUNS (3), CORES ("0,1": pinned with taskset
# when it exists).
#
# Same clock: the digital clock in timecode style, Size 20 at Y 90, grey on
# a dark box; drawtext in Liberation Sans at 45 pixels (the clock's default
# face at the size Size 20 gives on 1080 rows).
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
frames=${FRAMES:-100}
runs=${RUNS:-3}
cores=${CORES:-0,1}

command -v ffmpeg >/dev/null || { echo "needs ffmpeg (Debian: apt-get install ffmpeg)" >&2; exit 1; }
[[ -e $build/frei0r-1/horaz_clock.so && -x $build/horaz ]] || {
  echo "no horaz_clock.so or horaz in $build (build them, or pass the build folder)" >&2
  exit 1
}
export FREI0R_PATH=$build/frei0r-1
work=$(mktemp -d "${TMPDIR:-/tmp}/horaz-frei0r-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
ln -s /dev/null "$work/null.raw"

pin=()
if command -v taskset >/dev/null; then pin=(taskset -c "$cores"); fi
font=$(fc-match -f '%{file}' 'Liberation Sans' 2>/dev/null || true)
[[ -n $font ]] || font=/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf

# CPU seconds (user + system) of the fastest of $runs runs.
best_cpu() {
  local best= TIMEFORMAT='%U %S'
  for ((i = 0; i < runs; ++i)); do
    local measured
    measured=$({ time "$@" >/dev/null 2>&1; } 2>&1 | awk '{ print $1 + $2 }')
    best=$(awk -v b="$best" -v m="$measured" 'BEGIN { print (b == "" || m < b) ? m : b }')
  done
  echo "$best"
}

# One source, converted to RGBA once, then the clock (or nothing) and no output.
graph() {
  "${pin[@]}" ffmpeg -hide_banner -loglevel error -nostdin -threads 1 -filter_threads 1 \
    -f lavfi -i "color=c=0x204060:s=1920x1080:r=25,format=rgba" -vf "$1" -frames:v "$frames" -f null -
}
frei0r_clock="frei0r=horaz_clock:1|0.502/0.502/0.502|100|0.196/0.196/0.196|100|1|50|90|20|1|0|0|0|0|0|1|1|2010|0|0|0|0|0|n|10"
drawtext_clock="drawtext=fontfile=$font:timecode='00\:00\:00\:00':rate=25:fontsize=45:fontcolor=0x808080:box=1:boxcolor=0x323232:x=(w-tw)/2:y=h*0.9-th/2"

echo "ffmpeg, $frames frames of 1920x1080 RGBA, best of $runs runs (CPU seconds) ..."
base=$(best_cpu graph "null")
ours=$(best_cpu graph "$frei0r_clock")
theirs=$(best_cpu graph "$drawtext_clock")
horaz=$(best_cpu "${pin[@]}" "$build/horaz" render -q -i color:32,64,96 --size 1920x1080 --frames "$frames" \
  --format rgba --threads 1 --set "the List value=1" --set "Style List=10" --set Y=90 --set Size=20 \
  --set "Alignment List=1" -o "$work/null.raw")

awk -v n="$frames" -v base="$base" -v ours="$ours" -v theirs="$theirs" -v horaz="$horaz" 'BEGIN {
  f = (ours - base) / n * 1000; d = (theirs - base) / n * 1000; h = horaz / n * 1000
  printf "graph without a clock        %7.2f ms per frame\n", base / n * 1000
  printf "frei0r horaz_clock adds      %7.2f ms per frame\n", f
  printf "drawtext adds                %7.2f ms per frame\n", d
  printf "horaz render, whole frame    %7.2f ms per frame (input, clock and output, one thread)\n", h
  printf "ratio frei0r / drawtext      %7.2f\n", (d > 0 ? f / d : 0)
  printf "ratio frei0r / horaz render  %7.2f (target: at most 1)\n", (h > 0 ? f / h : 0)
}'

#!/usr/bin/env bash
# End-to-end throughput of `horaz render` burning in a timecode with the
# digital clock, against ffmpeg's drawtext filter burning in a timecode of
# the same size, on the same 250 frames of 1080p25 4:2:0 video read from the
# same YUV4MPEG2 file, both writing to nowhere. Two ways each:
#   - as the pipeline holds the frames: horaz writes its host frames (.raw,
#     through a link to /dev/null), ffmpeg uses its null muxer (-f null);
#   - as a YUV4MPEG2 stream to /dev/null: horaz 4:2:2 (converted from its
#     packed frames to planes in studio range), ffmpeg 4:2:0.
# The first pair is the headline ratio.
#
#   bench/cli_vs_ffmpeg/run.sh [path/to/horaz]
#
# Environment: FRAMES (250), RUNS (3, the best run counts), CORES ("0,1":
# both programs are pinned to these cores with taskset when it exists).
#
# Same size: the digital clock's font is Size% x height / 2 x 32 / 100
# points; with Size 20 on 1080 rows that is 34 pt, 45 pixels at 96 dpi, and
# drawtext's fontsize is in pixels. Both draw Liberation Sans (what the
# platform uses for the clock's default face) in grey on a dark box.
set -euo pipefail

horaz=${1:-build/horaz}
frames=${FRAMES:-250}
runs=${RUNS:-3}
cores=${CORES:-0,1}

command -v ffmpeg >/dev/null || { echo "needs ffmpeg (Debian: apt-get install ffmpeg)" >&2; exit 1; }
[[ -x $horaz ]] || { echo "no horaz at $horaz (build it, or pass its path)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/horaz-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
input=$work/input.y4m

pin=()
if command -v taskset >/dev/null; then pin=(taskset -c "$cores"); fi

font=$(fc-match -f '%{file}' 'Liberation Sans' 2>/dev/null || true)
[[ -n $font ]] || font=/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf

echo "making $frames frames of 1920x1080 4:2:0 ..."
ffmpeg -hide_banner -loglevel error -f lavfi -i "testsrc2=size=1920x1080:rate=25" -frames:v "$frames" \
  -pix_fmt yuv420p -y "$input"
cat "$input" >/dev/null  # both read it from the page cache

# "WALL CPU" seconds of the fastest of $runs runs of the command (CPU: user
# and system time of all its threads, which a busy machine hardly changes).
best_seconds() {
  local best= TIMEFORMAT='%R %U %S'
  for ((i = 0; i < runs; ++i)); do
    local measured
    measured=$({ time "$@" 2>/dev/null; } 2>&1)
    best=$(echo "$measured" | awk -v b="$best" '{ t = $1; c = $2 + $3;
      split(b, old, " "); if (b == "" || t < old[1]) print t, c; else print b }')
  done
  echo "$best"
}

ln -s /dev/null "$work/null.raw"
horaz_timecode=(render -q -i "$input" --format cbycry
  --set "the List value=Digital Clock" --set "Style List=TC hh:mm:ss:ff" --set Y=90 --set Size=20)
horaz_run() {
  "${pin[@]}" "$horaz" "${horaz_timecode[@]}" -o "$work/null.raw"
}
horaz_y4m_run() {
  "${pin[@]}" "$horaz" "${horaz_timecode[@]}" -o - >/dev/null
}
ffmpeg_run() {
  "${pin[@]}" ffmpeg -hide_banner -loglevel error -nostdin -i "$input" -vf \
    "drawtext=fontfile=$font:timecode='00\:00\:00\:00':rate=25:fontsize=45:fontcolor=0x808080:box=1:boxcolor=0x323232:x=(w-tw)/2:y=h*0.9-th/2" \
    -f null -
}
ffmpeg_y4m_run() {
  "${pin[@]}" ffmpeg -hide_banner -loglevel error -nostdin -i "$input" -vf \
    "drawtext=fontfile=$font:timecode='00\:00\:00\:00':rate=25:fontsize=45:fontcolor=0x808080:box=1:boxcolor=0x323232:x=(w-tw)/2:y=h*0.9-th/2" \
    -f yuv4mpegpipe - >/dev/null
}

horaz_times=$(best_seconds horaz_run)
ffmpeg_times=$(best_seconds ffmpeg_run)
horaz_y4m_times=$(best_seconds horaz_y4m_run)
ffmpeg_y4m_times=$(best_seconds ffmpeg_y4m_run)

awk -v n="$frames" -v c="$cores" -v h="$horaz_times" -v f="$ffmpeg_times" -v hy="$horaz_y4m_times" \
  -v fy="$ffmpeg_y4m_times" 'function line(name, m,   p) {
    split(m, p, " ")
    printf "  %-58s %7.1f fps  %6.2f ms CPU/frame\n", name, n / p[1], 1000 * p[2] / n
    return p[1]
  }
  BEGIN {
    printf "cores %s, %d frames of 1920x1080 4:2:0 in, fastest of the runs\n", c, n
    th = line("horaz render, digital clock TC, host frames to /dev/null", h)
    tf = line("ffmpeg drawtext timecode, -f null", f)
    thy = line("horaz render, digital clock TC, Y4M 4:2:2 to /dev/null", hy)
    tfy = line("ffmpeg drawtext timecode, Y4M 4:2:0 to /dev/null", fy)
    printf "ratio horaz / ffmpeg: %.2f (frames as held), %.2f (Y4M out)\n", tf / th, tfy / thy
  }'

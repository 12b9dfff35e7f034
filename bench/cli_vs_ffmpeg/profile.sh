#!/usr/bin/env bash
# Where a frame of `horaz render` goes: one thread renders a timecode over
# 1080p25 YUV4MPEG2 to /dev/null under `perf record`, and the samples are put
# in the stages of the pipeline, in milliseconds of CPU per frame:
#   read          the input's bytes copied in by the kernel (pipe or positioned reads)
#   convert       planar samples into the host's packed frame
#   render        the plug-in drawing its clock (painters, text, surface)
#   blend         the plug-in blending its surface into the frame
#   convert back  the host frame into planar samples for the output
#   write         the output's bytes handed to the kernel
#   page faults   first touches of memory
#   start-up      loading, registration, fonts; the rest
#
#   bench/cli_vs_ffmpeg/profile.sh [path/to/horaz] [420|422]
#
# Environment: FRAMES (500). Needs perf (Debian: linux-perf) and ffmpeg.
set -euo pipefail

horaz=$(realpath "${1:-build/horaz}")
chroma=${2:-420}
frames=${FRAMES:-500}
command -v perf >/dev/null || { echo "needs perf (Debian: apt-get install linux-perf)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/horaz-profile-XXXXXX")
trap 'rm -rf "$work"' EXIT
ffmpeg -hide_banner -loglevel error -f lavfi -i "testsrc2=size=1920x1080:rate=25" -frames:v "$frames" \
  -pix_fmt "yuv${chroma}p" -y "$work/in.y4m"
cat "$work/in.y4m" >/dev/null

perf record -q -g -o "$work/perf.data" -- "$horaz" render -q -i "$work/in.y4m" --threads 1 --format cbycry \
  --clock digital --style tc --set Y=90 --set Size=20 -o - >/dev/null 2>"$work/perf.log"

# Each sample goes to the first stage whose pattern its call chain matches,
# innermost frame first (perf script prints the chain one frame a line).
perf script -i "$work/perf.data" -F period,ip,sym 2>/dev/null | awk -v frames="$frames" '
  function stageOf(chain) {
    if (chain ~ /exc_page_fault|do_anonymous_page|clear_page/) return "page faults"
    if (chain ~ /pread|filemap_read|ksys_read/) return "read"
    if (chain ~ /ksys_write|pipe_write|new_sync_write/) return "write"
    if (chain ~ /blendSurface/) return "blend"
    if (chain ~ /packRow|packLoop|fillFrame/ && chain !~ /unpack/) return "convert"
    if (chain ~ /unpackRow|unpackLoop|frameToY4m/) return "convert back"
    if (chain ~ /ClockEffect|renderFrame|drawClock|Painter|horaz::platform|Gdip|cairo|FT_|pixman/) return "render"
    return "start-up and other"
  }
  /^ *[0-9]+ *$/ { if (chain != "") total[stageOf(chain)] += period; period = $1; chain = ""; all += $1; next }
  NF { chain = chain " " $0 }
  END {
    if (chain != "") total[stageOf(chain)] += period
    n = split("read|convert|render|blend|convert back|write|page faults|start-up and other", order, "|")
    printf "ms of CPU per frame, %d frames, 1 thread (perf: %d ms in all)\n", frames, all / 1e6
    for (i = 1; i <= n; ++i) printf "  %-20s %6.3f\n", order[i], total[order[i]] / 1e6 / frames
  }'

#!/usr/bin/env bash
# Runs the README's frei0r examples in the real hosts (ffmpeg, melt,
# gst-launch-1.0) and reads the clocks back from the frames they wrote: the
# LED timecode of frame 37, the analog clock where X and Y put it, the font
# changing the digital clock, clock type 3 leaving the frame alone, the
# installed layout and a plug-in that cannot be loaded.
#   scripts/test_hosts.sh                     # the build in ./build
#   BUILD_DIR=out scripts/test_hosts.sh
# Exits 77 (skipped) when a host is not installed, unless
# HORAZ_REQUIRE_HOSTS=1 (CI), where that fails.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${BUILD_DIR:-$root/build}" && pwd)
check=$build/tests/frei0r/frame_check
horaz=$build/horaz

missing=()
for host in ffmpeg melt gst-launch-1.0; do
  command -v "$host" >/dev/null 2>&1 || missing+=("$host")
done
if ((${#missing[@]})); then
  if [[ ${HORAZ_REQUIRE_HOSTS:-0} == 1 ]]; then
    echo "test_hosts: not installed: ${missing[*]} (scripts/install_packages.sh installs them)" >&2
    exit 1
  fi
  echo "test_hosts: skipped, not installed: ${missing[*]}"
  exit 77
fi
for built in "$check" "$horaz" "$build/frei0r-1/horaz_clock.so"; do
  [[ -e $built ]] || { echo "test_hosts: $built is not built" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export FREI0R_PATH=$build/frei0r-1 GST_REGISTRY=$work/gst-registry.bin
unset HORAZ_PLUGIN
failures=0
fail() { echo "FAIL $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok   $*"; }

# A picture as raw RGBA bytes.
raw() { ffmpeg -v error -y -i "$1" -f rawvideo -pix_fmt rgba "$2"; }
# The last frame of a raw RGBA stream of W x H frames.
last_frame() { tail -c $(($2 * $3 * 4)) "$1" > "$4"; }
# horaz render's frame 37 over the examples' colour: W H OUT [--set ...]
reference() {
  "$horaz" render -q -i color:32,64,96 --size "$1x$2" --start 37 --frames 1 -o "$3" "${@:4}"
}
led=(--set "the List value=2" --set "Style List=10" --set Size=80 --set "Foreground RGB Color=255,0,0"
     --set "Background RGB Color=0,0,0" --set "Alignment List=1")
# The README's LED example of a host: its digits, and the same bytes as horaz render.
expect_led() {
  local name=$1 frame=$2 width=$3 height=$4 text
  text=$("$check" led "$frame" "$width" "$height" 50 50 80 11)
  if [[ $text != "00:00:01:12" ]]; then
    fail "$name: the LED clock of frame 37 reads '$text', not 00:00:01:12"
    return
  fi
  reference "$width" "$height" "$work/led-$width.raw" "${led[@]}"
  if "$check" same "$work/led-$width.raw" "$frame" >/dev/null; then
    pass "$name: frame 37 shows 00:00:01:12, byte for byte as horaz render draws it"
  else
    fail "$name: frame 37 reads 00:00:01:12 but differs from horaz render's"
  fi
}
# The centre of what was drawn lies within 2 pixels of (x, y).
expect_centre() {
  local name=$1 frame=$2 width=$3 height=$4 x=$5 y=$6 at
  at=$("$check" centre "$frame" "$width" "$height")
  read -r ax ay <<<"$at"
  if ((ax >= x - 2 && ax <= x + 2 && ay >= y - 2 && ay <= y + 2)); then
    pass "$name: the analog clock is centred at ($at), where X and Y put it"
  else
    fail "$name: the analog clock is centred at ($at), not ($x $y)"
  fi
}

# 1. The README's examples, as written (FREI0R_PATH as set above).
awk '/^## Use it in ffmpeg/ {in_section = 1; next}
     in_section && /^## / {exit}
     in_section && /^```sh/ {in_block = 1; next}
     in_block && /^```/ {in_block = 0; next}
     in_block && !/^export FREI0R_PATH=/ {print}' "$root/README.md" > "$work/examples.sh"
[[ -s $work/examples.sh ]] || { echo "test_hosts: the README has no examples to run" >&2; exit 1; }
if (cd "$work" && bash -euo pipefail examples.sh > "$work/examples.log" 2>&1); then
  pass "the README's examples ran"
else
  cat "$work/examples.log" >&2
  fail "the README's examples"
fi
if [[ -e $work/led-ffmpeg.png ]]; then
  raw "$work/led-ffmpeg.png" "$work/led-ffmpeg.rgba"
  expect_led "ffmpeg -vf frei0r=horaz_clock" "$work/led-ffmpeg.rgba" 640 360
fi
if [[ -e $work/led-melt.rgba ]]; then
  last_frame "$work/led-melt.rgba" 1280 720 "$work/led-melt-37.rgba"
  expect_led "melt -filter frei0r.horaz_clock" "$work/led-melt-37.rgba" 1280 720
fi
if [[ -e $work/led-gst-37.png ]]; then
  raw "$work/led-gst-37.png" "$work/led-gst.rgba"
  expect_led "gst-launch-1.0 frei0r-filter-horaz-clock" "$work/led-gst.rgba" 640 360
fi
for clip in analog-ffmpeg.mp4 digital-melt.mp4; do
  [[ -s $work/$clip ]] && pass "$clip written" || fail "$clip was not written"
done

# 2. The analog clock where X and Y put it: by position in ffmpeg, by name in melt.
ffmpeg -v error -y -f lavfi -i "color=c=0x204060:s=640x360:r=25,format=rgba" \
  -vf "frei0r=horaz_clock:0|white|100|black|100|0|25|30|20" -frames:v 1 -f rawvideo -pix_fmt rgba "$work/analog-ffmpeg.rgba"
expect_centre "ffmpeg" "$work/analog-ffmpeg.rgba" 640 360 160 108
melt -silent -profile atsc_720p_25 color:0x204060ff out=0 -filter frei0r.horaz_clock "the List value=0" X=75 Y=70 Size=20 \
  -consumer avformat:"$work/analog-melt.rgba" f=rawvideo pix_fmt=rgba 2>/dev/null
expect_centre "melt" "$work/analog-melt.rgba" 1280 720 960 504

# 3. The font changes the digital clock's pixels, as horaz render --font draws it.
digital=("the List value=1" "Style List=10" "Size=30")
melt -silent -profile atsc_720p_25 color:0x204060ff out=37 -filter frei0r.horaz_clock "${digital[@]}" \
  -consumer avformat:"$work/digital-plain.rgba" f=rawvideo pix_fmt=rgba 2>/dev/null
melt -silent -profile atsc_720p_25 color:0x204060ff out=37 -filter frei0r.horaz_clock "${digital[@]}" \
  "Font=DejaVu Serif:bold:60" -consumer avformat:"$work/digital-serif.rgba" f=rawvideo pix_fmt=rgba 2>/dev/null
last_frame "$work/digital-plain.rgba" 1280 720 "$work/plain.rgba"
last_frame "$work/digital-serif.rgba" 1280 720 "$work/serif.rgba"
reference 1280 720 "$work/serif-ref.raw" --set "the List value=1" --set "Style List=10" --set Size=30 \
  --font "DejaVu Serif:bold:60"
if "$check" same "$work/plain.rgba" "$work/serif.rgba" >/dev/null; then
  fail "melt: the Font parameter left the digital clock's pixels as they were"
elif ! "$check" same "$work/serif-ref.raw" "$work/serif.rgba" >/dev/null; then
  fail "melt: the digital clock in DejaVu Serif differs from horaz render --font's"
else
  pass "melt: Font=DejaVu Serif:bold:60 changes the digital clock, as horaz render --font draws it"
fi
gst-launch-1.0 -q videotestsrc pattern=solid-color foreground-color=0xff204060 num-buffers=1 \
  ! video/x-raw,format=RGBA,width=640,height=360,framerate=25/1 \
  ! frei0r-filter-horaz-clock font="DejaVu Serif:bold:60" settings="the List value=1;Size=30" \
  ! filesink location="$work/serif-gst.rgba"
gst-launch-1.0 -q videotestsrc pattern=solid-color foreground-color=0xff204060 num-buffers=1 \
  ! video/x-raw,format=RGBA,width=640,height=360,framerate=25/1 \
  ! frei0r-filter-horaz-clock settings="the List value=1;Size=30" ! filesink location="$work/plain-gst.rgba"
if "$check" same "$work/plain-gst.rgba" "$work/serif-gst.rgba" >/dev/null; then
  fail "gst-launch-1.0: the font property left the digital clock's pixels as they were"
else
  pass "gst-launch-1.0: font=... changes the digital clock"
fi

# 4. Clock type 3 draws nothing: the frame leaves as it came.
ffmpeg -v error -y -f lavfi -i "testsrc2=s=320x240:r=25,format=rgba" -frames:v 3 -f rawvideo -pix_fmt rgba "$work/input.rgba"
ffmpeg -v error -y -f lavfi -i "testsrc2=s=320x240:r=25,format=rgba" -vf "frei0r=horaz_clock:0|red|100|black|100|3" \
  -frames:v 3 -f rawvideo -pix_fmt rgba "$work/type3.rgba"
"$check" same "$work/input.rgba" "$work/type3.rgba" >/dev/null \
  && pass "ffmpeg: clock type 3 leaves the frames unchanged" || fail "ffmpeg: clock type 3 changed the frames"

# 5. Installed: lib/frei0r-1/horaz_clock.so finds lib/horaz/AVX2Horaz.avx, whatever the current folder.
cmake --install "$build" --prefix "$work/prefix" >/dev/null
[[ -e $work/prefix/lib/horaz/AVX2Horaz.avx ]] || fail "cmake --install put no plug-in in PREFIX/lib/horaz"
(cd / && FREI0R_PATH=$work/prefix/lib/frei0r-1 ffmpeg -v error -y -f lavfi -i "color=c=0x204060:s=640x360:r=25,format=rgba" \
  -vf "frei0r=horaz_clock:1|red|100|black|100|2|50|50|80|1|0|0|0|0|0|1|1|2010|0|0|0|0|0|n|10,select=eq(n\,37)" \
  -frames:v 1 -f rawvideo -pix_fmt rgba "$work/installed.rgba")
expect_led "installed in PREFIX/lib/frei0r-1" "$work/installed.rgba" 640 360

# 6. Without its plug-in the filter says why and the host reports it.
mkdir -p "$work/alone/frei0r-1"
cp "$build/frei0r-1/horaz_clock.so" "$work/alone/frei0r-1/"
if FREI0R_PATH=$work/alone/frei0r-1 ffmpeg -v error -f lavfi -i "color=s=64x48" -vf frei0r=horaz_clock -frames:v 1 -f null - \
  2>"$work/alone.log"; then
  fail "ffmpeg rendered with a filter whose plug-in is missing"
elif grep -q "horaz_clock: .*AVX2Horaz.avx" "$work/alone.log" && grep -q "Impossible to load frei0r instance" "$work/alone.log"; then
  pass "a missing plug-in: f0r_construct says why and ffmpeg reports it"
else
  cat "$work/alone.log" >&2
  fail "a missing plug-in was not reported as expected"
fi

if ((failures)); then
  echo "test_hosts: $failures check(s) failed" >&2
  exit 1
fi
echo "test_hosts: all checks passed"

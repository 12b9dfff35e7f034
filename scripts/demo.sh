#!/usr/bin/env bash
# The main job: installs what is needed, builds the plug-in and the `horaz`
# tool, and renders the demo through the reference host: three short clips
# over the moving test pattern (the analog clock, the digital clock counting
# down in timecode style, the LED clock) and a contact sheet of each, then
# prints where they are.
#   scripts/demo.sh                       # results in ./build/demo
#   DEMO_DIR=out BUILD_DIR=b SKIP_INSTALL=1 scripts/demo.sh
# Clips are YUV4MPEG2 (.y4m: mpv, vlc and ffplay play them) and the sheets
# PNG; with ffmpeg installed, .mp4 copies are made as well.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
demo=${DEMO_DIR:-$build/demo}

if [[ ${SKIP_INSTALL:-0} != 1 ]]; then
  "$root/scripts/install_packages.sh"
fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target horaz AVX2Horaz
mkdir -p "$demo"

horaz=$build/horaz
# 4 s of 960x540 at 25 fps; YCbCr 4:2:2 frames keep the .y4m files small.
common=(--size 960x540 --fps 25 --frames 100 --format cbycry)
extensions=(y4m)
command -v ffmpeg >/dev/null && extensions+=(mp4)

render() {  # NAME ARGUMENTS...
  local name=$1
  shift
  for extension in "${extensions[@]}"; do
    "$horaz" render "${common[@]}" "$@" -o "$demo/$name.$extension" \
      $([[ $extension == y4m ]] && echo --contact-sheet "$demo/$name-sheet.png")
  done
}

echo "rendering the demo into $demo ..."
# The analog clock at ten past ten, running sixty times fast.
render analog-clock \
  --set "the List value=Analog Clock" --set "Start Time Hour=10" --set "Start Time Minute=9" \
  --set "Time Speed Factor=60" --set "Foreground RGB Color=255,255,255" \
  --set "Background RGB Color=20,30,60" --set "Background Opacity=80" --set Size=70
# The digital clock counting down from one minute in timecode style, in the
# lower third, in a font chosen as the font dialog would.
render countdown-timecode \
  --set "the List value=Digital Clock" --set "Style List=TC hh:mm:ss:ff" --set "Count Down=1" \
  --set "Start Time Minute=1" --set "Alignment List=Center" --set Y=85 --set Size=30 \
  --set "Foreground RGB Color=255,255,255" --set "Background RGB Color=0,0,0" --set "Background Opacity=60" \
  --font "Liberation Sans:bold:40"
# The LED clock rolling over midnight, growing along the clip (keyframes).
render led-clock \
  --set "the List value=LED clock" --set "Style List=hh:mm:ss" --set "Start Time Hour=23" \
  --set "Start Time Minute=59" --set "Start Time Second=57" --set "Foreground RGB Color=255,40,40" \
  --set "Background RGB Color=10,0,0" --set "Size@0=40" --set "Size@99=85"

echo
echo "The demo is in $demo:"
for file in "$demo"/*; do
  printf '  %-40s %s\n' "$(basename "$file")" "$(du -h "$file" | cut -f1)"
done
echo "Play a clip with e.g. 'ffplay $demo/countdown-timecode.y4m' or 'mpv ...'; open the -sheet.png files for a glance."
echo "More: $horaz render --help"

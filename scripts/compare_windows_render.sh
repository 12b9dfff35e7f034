#!/usr/bin/env bash
# Renders the same scenes with the Linux build's horaz and with the Windows
# build's horaz.exe under wine64, and compares them: the LED clock and the
# digital clock's box must match byte for byte, the analog clock and text
# within a tolerance (Wine's GDI+ and font rasterizer smooth edges their own
# way). Difference pictures go to build-windows/compare/. Called by
# scripts/test_windows.sh with WINEPREFIX set; exits 1 on a mismatch.
#   scripts/compare_windows_render.sh
#   HORAZ_LINUX=build/horaz WINDOWS_BUILD_DIR=build-windows scripts/compare_windows_render.sh
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${WINDOWS_BUILD_DIR:-$root/build-windows}
linux_horaz=${HORAZ_LINUX:-$root/build/horaz}
windows_horaz=$build/x86_64/horaz.exe
out=$build/compare
rm -rf "$out" && mkdir -p "$out"

[[ -x $linux_horaz ]] || { echo "compare_windows_render: no Linux build at $linux_horaz" >&2; exit 1; }
[[ -f $windows_horaz ]] || { echo "compare_windows_render: no $windows_horaz" >&2; exit 1; }

common=(--size 320x180 --frames 3 --threads 1 -q --start-time 10:08:37)
# name | tolerance: the share of pixels (per mille) whose colour may differ by
# more than 8% (0 = byte for byte, the raw frames compared) | options. The
# digital clock's box is as wide as the measured text, and the two builds
# measure text a few pixels apart: its top, bottom and anchored edge match.
scenes=(
  "led_rgba|0|--clock led --style hms"
  "led_ycbycr_bottom_up|0|--clock led --style tc --format ycbycr --rows bottom-up"
  "led_fields|0|--clock led --style fields --fields upper"
  "led_over_colour|0|--clock led -i color:30,60,90"
  "led_over_y4m|0|--clock led --format cbycry -i $out/input.y4m"
  "led_over_png|0|--clock led -i $out/input.png"
  "digital_box|5|--clock digital --fg #ffffff00 --bg #204080c0"
  "digital_text|20|--clock digital --style hms.ff --fg #ffff00 --bg #00000080"
  "analog_rgba|10|--clock analog --scale 80"
  "analog_cbycry_fields|10|--clock analog --format cbycry --fields lower"
)

# Inputs read by both builds, and a Y4M written by both.
"$linux_horaz" render --size 320x180 --frames 3 -q --clock none -o "$out/input.y4m" >/dev/null 2>&1
"$linux_horaz" render --size 320x180 --frames 1 -q --clock none -i color:200,40,40 -o "$out/input.png" >/dev/null 2>&1

failures=0
echo "compare_windows_render: Linux $linux_horaz against Windows $windows_horaz (wine64)"
for scene in "${scenes[@]}"; do
  IFS='|' read -r name tolerance options <<<"$scene"
  read -ra opts <<<"$options"
  "$linux_horaz" render "${common[@]}" "${opts[@]}" -o "$out/$name.linux.raw" >/dev/null 2>&1 &&
    "$linux_horaz" render "${common[@]}" "${opts[@]}" -o "$out/$name.linux.png" --frames 1 >/dev/null 2>&1
  linux_status=$?
  wine "$windows_horaz" render "${common[@]}" "${opts[@]}" -o "$out/$name.windows.raw" >/dev/null 2>&1 &&
    wine "$windows_horaz" render "${common[@]}" "${opts[@]}" -o "$out/$name.windows.png" --frames 1 >/dev/null 2>&1
  windows_status=$?
  if ((linux_status != 0 || windows_status != 0)); then
    echo "  $name: FAILED to render (Linux $linux_status, Windows $windows_status)"
    failures=$((failures + 1))
    continue
  fi
  # Pixels of the first frame that differ at all, and by more than 8%.
  total=$((320 * 180))
  any=$(compare -metric AE "$out/$name.linux.png" "$out/$name.windows.png" "$out/$name.diff.png" 2>&1 >/dev/null)
  far=$(compare -metric AE -fuzz 8% "$out/$name.linux.png" "$out/$name.windows.png" null: 2>&1 >/dev/null)
  if cmp -s "$out/$name.linux.raw" "$out/$name.windows.raw"; then
    verdict="identical frames"
  elif ((tolerance == 0)); then
    verdict="FAILED: must be identical"
    failures=$((failures + 1))
  elif ((far * 1000 > tolerance * total)); then
    verdict="FAILED: more than $tolerance per mille beyond 8%"
    failures=$((failures + 1))
  else
    verdict="within $tolerance per mille beyond 8%"
  fi
  printf '  %-22s %6s px differ, %6s beyond 8%% (of %d): %s\n' "$name" "${any%% *}" "${far%% *}" "$total" "$verdict"
done
for side in linux windows; do
  program=("$linux_horaz")
  [[ $side == windows ]] && program=(wine "$windows_horaz")
  "${program[@]}" render "${common[@]}" --clock led -i "$out/input.y4m" -o "$out/y4m_out.$side.y4m" >/dev/null 2>&1
done
if cmp -s "$out/y4m_out.linux.y4m" "$out/y4m_out.windows.y4m"; then
  echo "  y4m_out                identical files"
else
  echo "  y4m_out                FAILED: the Y4M outputs differ"
  failures=$((failures + 1))
fi
exit $((failures > 0))

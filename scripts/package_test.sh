#!/usr/bin/env bash
# Packaging check, run by CI after scripts/test.sh:
#   1. a Release build (what users and packagers type) with warnings as errors;
#   2. `cmake --install` into a prefix that is then moved elsewhere: the
#      installed horaz must run from where it ended up;
#   3. `cpack -G DEB`: the package's fields and file list, then the package
#      unpacked into a scratch root with dpkg and run from there.
#   scripts/package_test.sh                  # builds in ./build-release
#   BUILD_DIR=out SKIP_INSTALL=1 scripts/package_test.sh
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build-release}
jobs=${HORAZ_JOBS:-2}

note() { printf '\n== package: %s\n' "$*"; }
fail() {
  echo "package_test: $*" >&2
  exit 1
}

if [[ ${SKIP_INSTALL:-0} != 1 ]]; then
  "$root/scripts/install_packages.sh"
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Only what an installed horaz finds by itself counts here.
unset HORAZ_PLUGIN LD_LIBRARY_PATH

note "Release build with warnings as errors in $build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DHORAZ_WERROR=ON >/dev/null
cmake --build "$build" -j"$jobs"
version=$(sed -nE 's/^CMAKE_PROJECT_VERSION:STATIC=(.*)/\1/p' "$build/CMakeCache.txt")

# The files an installed tree holds, relative to its prefix.
expected_files=(
  bin/horaz
  lib/horaz/AVX2Horaz.avx
  lib/horaz/libhorazplatform.so
  lib/horaz/horaz_video_decoder.so
  lib/horaz/horaz_video_encoder.so
  lib/frei0r-1/horaz_clock.so
  share/man/man1/horaz.1.gz
)

runpath_of() { readelf -d "$1" | sed -nE 's/.*\((RUNPATH|RPATH)\).*\[(.*)\]/\2/p'; }

# check_tree PREFIX: the files are there, their RPATHs are relative to
# themselves and every library they need resolves (the private ones inside
# PREFIX).
check_tree() {
  local prefix=$1 file found
  for file in "${expected_files[@]}"; do
    [[ -f $prefix/$file ]] || fail "$prefix/$file is missing"
  done
  [[ $(runpath_of "$prefix/bin/horaz") == "\$ORIGIN/../lib/horaz" ]] ||
    fail "horaz has RUNPATH '$(runpath_of "$prefix/bin/horaz")', not \$ORIGIN/../lib/horaz"
  [[ $(runpath_of "$prefix/lib/horaz/AVX2Horaz.avx") == "\$ORIGIN" ]] ||
    fail "AVX2Horaz.avx has RUNPATH '$(runpath_of "$prefix/lib/horaz/AVX2Horaz.avx")', not \$ORIGIN"
  for file in bin/horaz lib/horaz/AVX2Horaz.avx lib/frei0r-1/horaz_clock.so; do
    if ldd "$prefix/$file" | grep -q 'not found'; then
      ldd "$prefix/$file"
      fail "$file needs a library that is not found"
    fi
    found=$(ldd "$prefix/$file" | sed -nE 's/.*libhorazplatform\.so => (\S+).*/\1/p')
    [[ -n $found && $(realpath "$found") == $(realpath "$prefix/lib/horaz/libhorazplatform.so") ]] ||
      fail "$file takes libhorazplatform.so from '$found', not from $prefix/lib/horaz"
  done
  for file in horaz_video_decoder.so horaz_video_encoder.so; do
    if ldd "$prefix/lib/horaz/$file" | grep -q 'not found'; then
      ldd "$prefix/lib/horaz/$file"
      fail "$file needs a library that is not found"
    fi
  done
  gzip -dc "$prefix/share/man/man1/horaz.1.gz" | grep -q '^\.SS "horaz render"' ||
    fail "the man page lacks horaz render's help"
}

# run_installed PREFIX: the installed horaz prints its version, describes the
# plug-in, renders the demo's first clip (the analog clock, shortened to ten
# frames) and reads a video file with ffmpeg out of reach.
run_installed() {
  local prefix=$1 horaz=$1/bin/horaz out=$scratch/analog-clock.y4m frames
  [[ $("$horaz" --version) == "horaz $version" ]] || fail "$horaz --version printed '$("$horaz" --version)'"
  "$horaz" describe >"$scratch/describe.txt" || fail "$horaz describe failed"
  grep -q 'AVX2Horaz' "$scratch/describe.txt" || fail "$horaz describe did not describe the plug-in"
  "$horaz" render --quiet --size 960x540 --fps 25 --frames 10 --format cbycry \
    --set "the List value=Analog Clock" --set "Start Time Hour=10" --set "Start Time Minute=9" \
    --set "Time Speed Factor=60" --set "Foreground RGB Color=255,255,255" \
    --set "Background RGB Color=20,30,60" --set "Background Opacity=80" --set Size=70 -o "$out" ||
    fail "$horaz render failed"
  [[ $(head -c 10 "$out") == YUV4MPEG2* && $(grep -ac '^FRAME' "$out") -ge 1 ]] ||
    fail "$horaz render wrote no YUV4MPEG2 clip"
  rm -f "$out"
  # Video files are read by the installed decoding module: no ffmpeg needed.
  ffmpeg -v error -f lavfi -i testsrc=size=64x36:rate=25:duration=0.2 -c:v libx264 -pix_fmt yuv420p \
    "$scratch/clip.mp4"
  PATH=/nonexistent "$horaz" render --quiet -i "$scratch/clip.mp4" -o "$out" ||
    fail "$horaz did not read a video file through lib/horaz/horaz_video_decoder.so"
  frames=$(grep -ao FRAME "$out" | wc -l)
  [[ $frames -eq 5 ]] || fail "$horaz read $frames frames of 5"
  # And written by the installed encoding module: an ffmpeg that only fails
  # is never run.
  mkdir -p "$scratch/failing"
  printf '#!/bin/sh\nexit 1\n' >"$scratch/failing/ffmpeg"
  chmod +x "$scratch/failing/ffmpeg"
  PATH=$scratch/failing "$horaz" render --quiet -i "$scratch/clip.mp4" -o "$scratch/clip-out.mp4" ||
    fail "$horaz did not write a video file through lib/horaz/horaz_video_encoder.so"
  frames=$(ffprobe -v error -count_frames -show_entries stream=nb_read_frames -of csv=p=0 "$scratch/clip-out.mp4")
  [[ $frames -eq 5 ]] || fail "$horaz wrote $frames frames of 5"
  rm -rf "$out" "$scratch/clip.mp4" "$scratch/clip-out.mp4" "$scratch/failing"
}

note "cmake --install into a prefix, then moving the prefix"
cmake --install "$build" --prefix "$scratch/installed" >/dev/null
mv "$scratch/installed" "$scratch/moved"
check_tree "$scratch/moved"
run_installed "$scratch/moved"
unexpected=$(cd "$scratch/moved" && find . -type f -o -type l | sed 's|^\./||' | sort |
  comm -23 - <(printf '%s\n' "${expected_files[@]}" | sort))
[[ -z $unexpected ]] || fail "the install holds files nobody asked for: $unexpected"
rm -rf "$scratch/moved"

note "cpack -G DEB"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/horaz_"$version"_*.deb)
[[ $(dpkg-deb -f "$deb" Package) == horaz ]] || fail "package name is not horaz"
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "package version is not $version"
[[ -n $(dpkg-deb -f "$deb" Maintainer) ]] || fail "the package has no maintainer"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6 libcairo2 libfreetype6 libfontconfig1 libpng16-16 libavformat libavcodec; do
  [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
contents=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./usr/||' | sort)
[[ $contents == "$(printf '%s\n' "${expected_files[@]}" | sort)" ]] ||
  fail "the package holds other files than expected:"$'\n'"$contents"

note "dpkg -x: unpacking the package into a scratch root and running it there"
# The package runs ldconfig from its maintainer scripts (cpack adds that for
# any library under /usr/lib), which dpkg --root would run chrooted in an
# empty root; so the files are unpacked and run without the scripts.
dpkg_root=$scratch/root
dpkg -x "$deb" "$dpkg_root"
check_tree "$dpkg_root/usr"
run_installed "$dpkg_root/usr"
# Removing the package deletes what its md5sums list: that must be every file.
listed=$(dpkg-deb --ctrl-tarfile "$deb" | tar -xOf - ./md5sums | awk '{ print $2 }' | sed 's|^usr/||' | sort)
[[ $listed == "$(printf '%s\n' "${expected_files[@]}" | sort)" ]] ||
  fail "the package's md5sums do not list every file it installs:"$'\n'"$listed"

note "green: $deb"

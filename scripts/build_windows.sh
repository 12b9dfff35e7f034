#!/usr/bin/env bash
# Builds the Windows plug-in AVX2Horaz.avx (and the Windows test programs)
# with mingw-w64 for 32-bit (i686) and 64-bit (x86_64) Windows:
#   build-windows/i686/AVX2Horaz.avx     the one the editor loads
#   build-windows/x86_64/AVX2Horaz.avx   for 64-bit hosts and for Wine here
# each beside horaz.exe (the arches in WINDOWS_TOOL_ARCHES, default both);
# the test programs for the arches in WINDOWS_TEST_ARCHES (default x86_64).
#   scripts/build_windows.sh             # installs packages first
#   SKIP_INSTALL=1 WINDOWS_BUILD_DIR=out WINDOWS_ARCHES=x86_64 scripts/build_windows.sh
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${WINDOWS_BUILD_DIR:-$root/build-windows}
arches=${WINDOWS_ARCHES:-"i686 x86_64"}
# The arches whose test programs are built too: 32-bit programs cannot run
# under Wine on machines whose kernel lacks 32-bit support, as here.
test_arches=${WINDOWS_TEST_ARCHES:-x86_64}
# The arches that get horaz.exe; the others build the plug-in alone.
tool_arches=${WINDOWS_TOOL_ARCHES:-"i686 x86_64"}

if [[ ${SKIP_INSTALL:-0} != 1 ]]; then
  "$root/scripts/install_packages.sh" cmake make \
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64 \
    libgtest-dev nlohmann-json3-dev \
    wine64 xvfb xauth xdotool fonts-liberation2 imagemagick
fi

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
for arch in $arches; do
  tests=OFF
  [[ " $test_arches " == *" $arch "* ]] && tests=ON
  # Optimised without debug information: what an editor's user installs, and
  # about a third less to compile and link than with it.
  cmake -S "$root/windows" -B "$build/$arch" -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" \
    "-DCMAKE_C_FLAGS_RELEASE=-O2 -DNDEBUG" -DCMAKE_TOOLCHAIN_FILE="$root/windows/toolchain-$arch.cmake" -DHORAZ_WINDOWS_TESTS=$tests "${launcher[@]}"
  targets=()
  [[ $tests == OFF && " $tool_arches " != *" $arch "* ]] && targets=(--target AVX2Horaz)
  cmake --build "$build/$arch" -j"${WINDOWS_JOBS:-2}" "${targets[@]}"
  echo "build_windows: $build/$arch/AVX2Horaz.avx"
done

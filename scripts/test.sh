#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test.
#   scripts/test.sh               # into ./build
#   BUILD_DIR=out SKIP_INSTALL=1 scripts/test.sh
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}

if [[ ${SKIP_INSTALL:-0} != 1 ]]; then
  "$root/scripts/install_packages.sh"
fi
# Warnings are errors in our own builds (a user's build only reports them).
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHORAZ_WERROR=ON
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure

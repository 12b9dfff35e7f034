#!/usr/bin/env bash
# Rewrites the reference pictures (tests/*/ref/*.png) from the current code,
# for a change to the pictures that is intended; a picture that is already
# exactly its reference is left alone. Look at the changed PNGs before
# committing them.
#   scripts/update_references.sh               # the build in ./build
#   BUILD_DIR=out scripts/update_references.sh
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}

cmake --build "$build" -j2
HORAZ_UPDATE_REFERENCES=1 ctest --test-dir "$build" -R 'Reference.*Pictures' --output-on-failure
git -C "$root" status --short -- 'tests/*/ref/*.png'

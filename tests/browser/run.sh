#!/usr/bin/env bash
# The studio's page in headless Chromium: starts `horaz studio` from the build
# folder on a free port of 127.0.0.1, drives the page through playwright-core
# (installed here from npm) and stops the studio again. Screenshots of each
# step go to BUILD/studio-screenshots/.
#   tests/browser/run.sh [BUILD_DIR]
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)

(cd "$here" && npm ci --no-audit --no-fund --silent)

work=$(mktemp -d)
studio_pid=
cleanup() {
  if [[ -n $studio_pid ]]; then
    kill -INT "$studio_pid" 2>/dev/null || true
    wait "$studio_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

mkdir "$work/output"
"$build/horaz" studio --output-dir "$work/output" >"$work/studio.out" 2>"$work/studio.err" &
studio_pid=$!
for _ in $(seq 100); do
  grep -q 'open http' "$work/studio.out" 2>/dev/null && break
  kill -0 "$studio_pid" 2>/dev/null || { cat "$work/studio.err" >&2; exit 1; }
  sleep 0.1
done
url=$(grep -o 'http://127.0.0.1:[0-9]*/?token=[0-9a-f]*' "$work/studio.out")

STUDIO_URL=$url OUTPUT_DIR=$work/output SCREENSHOTS=$build/studio-screenshots node "$here/studio_page_test.mjs"

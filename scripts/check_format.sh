#!/usr/bin/env bash
# Checks that every tracked C and C++ file is formatted as .clang-format says;
# lists the files that are not and exits 1. scripts/format.sh fixes them.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

mapfile -t files < <(git ls-files '*.c' '*.cc' '*.cpp' '*.h' '*.hpp')
off=()
for file in "${files[@]}"; do
  clang-format --dry-run -Werror "$file" >/dev/null 2>&1 || off+=("$file")
done
if ((${#off[@]})); then
  echo "check_format: ${#off[@]} files are not formatted (scripts/format.sh formats them):" >&2
  printf '  %s\n' "${off[@]}" >&2
  exit 1
fi
echo "check_format: ${#files[@]} files formatted"

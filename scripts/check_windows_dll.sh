#!/usr/bin/env bash
# Checks what the editor will see of the 32-bit plug-in: a PE32 DLL for i386
# exporting exactly the four entry points under their plain names and
# importing only libraries that Windows itself ships.
#   scripts/check_windows_dll.sh [build-windows/i686/AVX2Horaz.avx]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dll=${1:-$root/build-windows/i686/AVX2Horaz.avx}
headers=$(i686-w64-mingw32-objdump -p "$dll")
failures=0
fail() { echo "check_windows_dll: $*" >&2; failures=$((failures + 1)); }

grep -q 'file format pei-i386' <<<"$headers" || fail "not a PE file for i386"
grep -qE '^Magic[[:space:]]+010b[[:space:]]+\(PE32\)' <<<"$headers" || fail "not PE32"

exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$headers" | grep -E '^\s+\[' | grep -oE '[A-Za-z0-9_@]+$' | sort)
expected=$(printf '%s\n' ACFCanUnloadNow ACFGetClassFactory ACFRegisterComponent ACFRegisterPlugin)
[[ $exports == "$expected" ]] || fail "exports are [$(echo $exports)], expected [$(echo $expected)]"

system_dlls='^(kernel32|user32|gdi32|gdiplus|comdlg32|msvcrt|advapi32|ole32)\.dll$'
while read -r name; do
  [[ ${name,,} =~ $system_dlls ]] || fail "imports $name, which is not a Windows system library"
done < <(grep -oE 'DLL Name: .+' <<<"$headers" | cut -c11-)

if ((failures == 0)); then
  echo "check_windows_dll: $dll is PE32 i386, exports the four entry points, imports only system DLLs"
fi
exit $((failures > 0))

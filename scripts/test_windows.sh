#!/usr/bin/env bash
# Runs the Windows build's checks and test programs (scripts/build_windows.sh
# first). The 32-bit DLL's exports and imports are checked with objdump; the
# test programs run under Wine in a fresh prefix inside the build folder,
# where "Arial", "Times New Roman" and "Courier New" are replaced by their
# metric-compatible Liberation faces as a Windows install would provide them.
# 64-bit programs run under wine64; the 32-bit ones only where this machine
# can execute 32-bit programs. horaz.exe renders the scenes of
# scripts/compare_windows_render.sh beside the Linux build's horaz. Prints
# which programs ran and which did not.
#   scripts/test_windows.sh
#   WINDOWS_BUILD_DIR=out scripts/test_windows.sh
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${WINDOWS_BUILD_DIR:-$root/build-windows}
programs=(horaz_module_tests horaz_registration_tests horaz_time_tests horaz_compositing_tests
  horaz_surface_tests horaz_render_tests horaz_interaction_tests horaz_font_dialog_tests)
summary=()
failures=0
started=$SECONDS

note() { summary+=("$1"); }

if "$root/scripts/check_windows_dll.sh" "$build/i686/AVX2Horaz.avx"; then
  note "ran     check_windows_dll (i686): passed"
else
  note "ran     check_windows_dll (i686): FAILED"
  failures=$((failures + 1))
fi

export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
wineboot --init >/dev/null 2>&1
for face in "Arial:Liberation Sans" "Times New Roman:Liberation Serif" "Courier New:Liberation Mono"; do
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${face%%:*}" /t REG_SZ /d "${face#*:}" /f \
    >/dev/null 2>&1
done
wineserver -w

# Whether this machine runs 32-bit Windows programs: Wine needs the kernel's
# 32-bit support for them.
can_run_32_bit() {
  [[ -e /proc/sys/fs/binfmt_misc ]] || true
  local probe=$build/i686/horaz_time_tests.exe
  [[ -x $(command -v wine) && -f $probe ]] || return 1
  timeout 60 wine "$probe" --gtest_list_tests >/dev/null 2>&1
}

run_arch() {
  local arch=$1
  for program in "${programs[@]}"; do
    local exe=$build/$arch/$program.exe
    if [[ ! -f $exe ]]; then
      note "skipped $arch/$program: not built"
      continue
    fi
    # xvfb-run gives the programs that open windows a display. The full log
    # (not --gtest_brief) names the test a hung program was in. The slowest
    # program takes about 30 s, so a hang is cut off after eight times that.
    if (cd "$build/$arch" && timeout 240 xvfb-run -a wine "$exe") \
      >"$build/$arch/$program.log" 2>&1; then
      note "ran     $arch/$program: $(grep -aoE '[0-9]+ tests? from [0-9]+ test suites? ran' "$build/$arch/$program.log" | tail -1), passed"
    else
      note "ran     $arch/$program: FAILED (log: $build/$arch/$program.log)"
      # CI keeps only what is printed: the failing lines and the log's end.
      while IFS= read -r line; do note "          $line"; done < <(
        grep -aE 'Failure|FAILED' "$build/$arch/$program.log" | head -20
        tail -n 15 "$build/$arch/$program.log"
      )
      failures=$((failures + 1))
    fi
  done
}

run_arch x86_64

# The time-and-text fuzz target over its seed corpus: patterns the Windows
# runtime refuses must give an empty text, not end the process.
corpus_runner=$build/x86_64/horaz_time_text_corpus.exe
if [[ -f $corpus_runner ]]; then
  if (cd "$build/x86_64" && timeout 300 wine "$corpus_runner" "$root/fuzz/corpus/time_text") \
    >"$build/x86_64/time_text_corpus.log" 2>&1; then
    note "ran     x86_64/time_text corpus: $(grep -aoE '[0-9]+ inputs ran' "$build/x86_64/time_text_corpus.log"), passed"
  else
    note "ran     x86_64/time_text corpus: FAILED (log: $build/x86_64/time_text_corpus.log)"
    failures=$((failures + 1))
  fi
else
  note "skipped x86_64/time_text corpus: not built (needs clang's FuzzedDataProvider.h)"
fi

# horaz.exe against the Linux build's horaz: the same scenes, compared.
if [[ -x ${HORAZ_LINUX:-$root/build/horaz} ]]; then
  if "$root/scripts/compare_windows_render.sh" >"$build/compare.log" 2>&1; then
    note "ran     compare_windows_render (x86_64 against Linux): passed"
  else
    note "ran     compare_windows_render (x86_64 against Linux): FAILED"
    failures=$((failures + 1))
  fi
  sed 's/^/    /' "$build/compare.log"
else
  note "skipped compare_windows_render: no Linux build of horaz (scripts/test.sh makes one)"
fi

if [[ ! -f $build/i686/horaz_time_tests.exe ]]; then
  note "skipped i686 test programs: not built (scripts/build_windows.sh with WINDOWS_TEST_ARCHES=\"i686 x86_64\")"
elif can_run_32_bit; then
  run_arch i686
else
  note "skipped i686 test programs: this machine cannot run 32-bit programs under Wine"
fi
wineserver -k 2>/dev/null || true

echo "test_windows: results ($((SECONDS - started)) s)"
printf '  %s\n' "${summary[@]}"
exit $((failures > 0))

#!/usr/bin/env bash
# Hardening stage of CI, run after the normal tests:
#   1. the whole test suite under AddressSanitizer + UndefinedBehaviorSanitizer
#      + LeakSanitizer (gcc), any report fails;
#   2. the concurrency tests (names matching $HORAZ_CONCURRENCY_REGEX) under
#      ThreadSanitizer;
#   3. the libFuzzer targets (clang), each for a bounded time, printing its
#      executions.
# Build folders are reused between runs: build-asan, build-tsan, build-fuzz.
#
# Environment: HORAZ_JOBS (default 2), HORAZ_FUZZ_SECONDS (default 60),
# HORAZ_HARDENING_STAGES (default "asan tsan fuzz").
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=${HORAZ_JOBS:-2}
fuzz_seconds=${HORAZ_FUZZ_SECONDS:-60}
stages=${HORAZ_HARDENING_STAGES:-asan tsan fuzz}
concurrency_regex=${HORAZ_CONCURRENCY_REGEX:-Concurren|Thread}

# Sanitizer builds are optimised lightly and carry line tables only: they
# compile three to four times faster than -O2 -g and still report file and
# line for every frame.
# Warnings are reported but not errors here: GCC 12's flow warnings misfire
# on instrumented -O1 code (maybe-uninitialized inside std::regex's
# std::function); the normal and Release builds keep them as errors.
build_flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG"
             "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" -DHORAZ_WERROR=OFF)

note() { printf '\n== hardening: %s\n' "$*"; }
seconds_since() { echo $(($(date +%s) - $1)); }

# clang with its runtime libraries (libFuzzer, the sanitizers) from Debian.
ensure_clang() {
  if command -v clang++ >/dev/null 2>&1 &&
     compgen -G '/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a' >/dev/null; then
    return 0
  fi
  note "installing clang and libclang-rt-14-dev"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends clang libclang-rt-14-dev
}

# The test programs that hold concurrency tests: folders under tests/ (at any
# depth) whose sources name a test suite or test after the convention.
concurrency_test_targets() {
  local list dir
  while IFS= read -r list; do
    dir=$(dirname "$list")/
    if grep -hE '^\s*TEST(_F|_P)?\s*\(' "$dir"*.cpp 2>/dev/null | grep -qE "$concurrency_regex"; then
      sed -nE 's/^\s*add_executable\(\s*([A-Za-z0-9_]+).*/\1/p' "$list"
    fi
  done < <(find "$root/tests" -name CMakeLists.txt)
}

stage_asan() {
  local build="$root/build-asan" started
  started=$(date +%s)
  note "ASan + UBSan + LSan: building the test suite in $build"
  cmake -S "$root" -B "$build" -DHORAZ_SANITIZE=ON -DHORAZ_BENCH=OFF "${build_flags[@]}" >/dev/null
  cmake --build "$build" -j"$jobs"
  note "ASan + UBSan + LSan: running ctest"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  LSAN_OPTIONS=suppressions="$root/scripts/lsan.supp":print_suppressions=0 \
    ctest --test-dir "$build" --output-on-failure -j"$jobs" --timeout 600
  local sweep="$build/tests/system/horaz_fault_sweep_tests"
  if [ -x "$sweep" ]; then
    note "fault sweep: host calls failed in turn, per scenario"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 "$sweep" |
      sed -n 's/^\[ fault sweep \] //p' |
      awk '{ print } { total += $(NF - 5) } END { printf "all scenarios: %d host calls failed in turn\n", total }'
  fi
  note "ASan + UBSan + LSan: green in $(seconds_since "$started") s"
}

stage_tsan() {
  local build="$root/build-tsan" started targets
  started=$(date +%s)
  targets=$(concurrency_test_targets | sort -u | tr '\n' ' ')
  if [ -z "$targets" ]; then
    note "TSan: no test matches /$concurrency_regex/; nothing to run"
    return 0
  fi
  note "TSan: building $targets in $build"
  cmake -S "$root" -B "$build" -DHORAZ_TSAN=ON -DHORAZ_BENCH=OFF "${build_flags[@]}" >/dev/null
  # shellcheck disable=SC2086
  cmake --build "$build" -j"$jobs" --target $targets
  note "TSan: running the tests matching /$concurrency_regex/"
  # setarch -R: ThreadSanitizer needs the classic address-space layout on
  # kernels with high mmap randomisation.
  local runner=()
  if command -v setarch >/dev/null 2>&1 && setarch "$(uname -m)" -R true 2>/dev/null; then
    runner=(setarch "$(uname -m)" -R)
  fi
  TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions="$root/scripts/tsan.supp" \
    "${runner[@]}" ctest --test-dir "$build" --output-on-failure -R "$concurrency_regex" --no-tests=error \
    --timeout 600
  note "TSan: green in $(seconds_since "$started") s"
}

stage_fuzz() {
  local build="$root/build-fuzz" started targets name summary=""
  started=$(date +%s)
  ensure_clang
  targets=$(sed -nE 's/^\s*horaz_fuzz_target\(\s*([A-Za-z0-9_]+).*/fuzz_\1/p' "$root/fuzz/CMakeLists.txt" | tr '\n' ' ')
  note "fuzzing: building $targets in $build"
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DHORAZ_FUZZ=ON -DHORAZ_TESTS=OFF -DHORAZ_BENCH=OFF \
    "${build_flags[@]}" >/dev/null
  # shellcheck disable=SC2086
  cmake --build "$build" -j"$jobs" --target $targets
  mkdir -p "$build/artifacts"
  for target in $targets; do
    name=${target#fuzz_}
    # New inputs go to a scratch corpus; the committed seeds stay as they are.
    local scratch="$build/corpus/$name" log="$build/$name.log"
    mkdir -p "$scratch"
    note "fuzzing $name for ${fuzz_seconds} s"
    if ! ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        "$build/fuzz/$target" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=4096 \
        -print_final_stats=1 -artifact_prefix="$build/artifacts/$name-" \
        "$scratch" "$root/fuzz/corpus/$name" >"$log" 2>&1; then
      tail -n 60 "$log"
      echo "hardening: fuzz target $name failed; reproducer in $build/artifacts/" >&2
      return 1
    fi
    local runs
    runs=$(sed -nE 's/^stat::number_of_executed_units:\s*([0-9]+).*/\1/p' "$log" | tail -n 1)
    summary+=$(printf '%-14s %12s executions in %s s\n' "$name" "${runs:-?}" "$fuzz_seconds")$'\n'
  done
  note "fuzzing: executions per target"
  printf '%s' "$summary"
  note "fuzzing: green in $(seconds_since "$started") s"
}

total_started=$(date +%s)
for stage in $stages; do
  "stage_$stage"
done
note "all stages green in $(seconds_since "$total_started") s"

#!/usr/bin/env bash
# Builds both presets and runs every test: natively, and the Windows build
# under Wine. Ends with one summary line "tests: N passed, M failed".
set -uo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc 2>/dev/null || echo 2)
status=0
total_passed=0
total_failed=0

# Adds up the GoogleTest XML reports of one build; a test program that left
# no report (it crashed or never started) counts as one failure.
summarize() {
  local build=$1 name tests failures errors report
  for name in $(ctest --test-dir "$build" -N 2>/dev/null | sed -n 's/^ *Test *#[0-9]*: //p'); do
    report="$build/test-results/$name.xml"
    if [[ ! -s "$report" ]]; then
      echo "  $name: no report (crashed or did not run)"
      total_failed=$((total_failed + 1))
      continue
    fi
    tests=$(grep -o '<testsuites [^>]*' "$report" | sed -n 's/.* tests="\([0-9]*\)".*/\1/p')
    failures=$(grep -o '<testsuites [^>]*' "$report" | sed -n 's/.* failures="\([0-9]*\)".*/\1/p')
    errors=$(grep -o '<testsuites [^>]*' "$report" | sed -n 's/.* errors="\([0-9]*\)".*/\1/p')
    disabled=$(grep -o '<testsuites [^>]*' "$report" | sed -n 's/.* disabled="\([0-9]*\)".*/\1/p')
    local bad=$(( ${failures:-0} + ${errors:-0} ))
    total_failed=$((total_failed + bad))
    total_passed=$((total_passed + ${tests:-0} - bad - ${disabled:-0}))
  done
}

run_preset() {
  local preset=$1 build="build/$1"
  echo "== $preset: configure and build"
  if ! cmake --preset "$preset" >"build-$preset.log" 2>&1 ||
     ! cmake --build --preset "$preset" -j "$jobs" >>"build-$preset.log" 2>&1; then
    tail -n 60 "build-$preset.log"
    echo "== $preset: build FAILED (full log in build-$preset.log)"
    status=1
    total_failed=$((total_failed + 1))
    return
  fi
  rm -rf "$build/test-results"
  echo "== $preset: tests"
  local runner=()
  if [[ "$preset" == windows && -z "${DISPLAY:-}" ]]; then
    # One X server for every Wine test: windows need one, and the prefix's
    # wineserver outlives each program and keeps talking to its display.
    runner=(xvfb-run -a -s "-screen 0 1024x768x24")
  fi
  if ! "${runner[@]}" ctest --preset "$preset" -j "$jobs"; then
    status=1
  fi
  summarize "$build"
}

mkdir -p build
run_preset native
run_preset windows

echo "tests: ${total_passed} passed, ${total_failed} failed"
if (( total_failed > 0 )); then status=1; fi
exit $status

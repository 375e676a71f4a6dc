#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the normal build, ASan+UBSan, and TSan for the threaded
# tests; then builds the fuzz targets (clang, libFuzzer) and runs each over its seeds for a few seconds. The last line
# is the verdict: what ran and that all of it passed, or the step that failed.
set -euo pipefail
cd "$(dirname "$0")/.."

log=$(mktemp)
step=""
passed=""
# Names the step under way; its output is kept for the verdict.
begin() {
  step=$1
  : >"$log"
}
pass() { passed="${passed:+$passed, }$1"; }
verdict() {
  local status=$? failed
  if [ "$status" -eq 0 ]; then
    echo "== all passed: $passed"
  else
    # ctest lists the tests that failed.
    failed=$(sed -n '/tests FAILED:/,$ s/^[[:space:]]*[0-9]* - \([^ ]*\).*/\1/p' "$log" | paste -sd' ' -)
    echo "== FAILED: $step${failed:+ ($failed)}, exit $status; passed before it: ${passed:-nothing}"
  fi
  rm -f "$log"
}
trap verdict EXIT

begin "installing the dependencies"
scripts/deps.sh
jobs=$(nproc)
for preset in default asan tsan; do
  echo "== $preset"
  begin "the $preset build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  begin "the $preset tests"
  ctest --preset "$preset" 2>&1 | tee "$log"
  pass "$preset $(grep -Eo 'out of [0-9]+' "$log" | tail -1 | cut -d' ' -f3 || true) tests"
done
echo "== fuzz"
begin "the fuzz build"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
begin "the fuzz smoke run"
scripts/fuzz.sh smoke 2>&1 | tee "$log"
pass "fuzz $(grep -cE '^fuzz_[a-z_]+: ' "$log" || true) targets"

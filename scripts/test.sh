#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the normal build, ASan+UBSan, and TSan for the threaded
# tests; then builds the fuzz targets (clang, libFuzzer) and runs each over its seeds for a few seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc)
for preset in default asan tsan; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset"
done
echo "== fuzz"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
scripts/fuzz.sh smoke

#!/usr/bin/env bash
# Installs the Debian packages the build, the demo and the tests need, when any is missing.
set -euo pipefail
# clang builds the fuzz targets; its libFuzzer and sanitizer runtimes are only recommended by
# clang, and llvm-14 gives the sanitizers their symbolizer.
pkgs=(build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev llvm-14
      libcurl4-openssl-dev libxerces-c-dev libicu-dev libexempi-dev libcairo2-dev libsqlite3-dev
      nlohmann-json3-dev libcli11-dev libcpp-httplib-dev
      libgtest-dev libgmock-dev libbenchmark-dev curl python3 tzdata)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"

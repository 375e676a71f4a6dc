#!/usr/bin/env bash
# Runs the libFuzzer targets the fuzz preset builds (build/fuzz/bin), each with its dictionary
# and its seed corpus from fuzz/<folder>/ (TS_FUZZ_BIN names another folder of built targets).
#   scripts/fuzz.sh smoke [SECONDS]
#       each target over its seeds, then SECONDS (default 5) of fuzzing from them; fails when a
#       target is missing or any input crashes it. The test command runs this.
#   scripts/fuzz.sh run TARGET SECONDS RUNS CORPUS
#       one long run of fuzz_TARGET into CORPUS (made if missing, seeded from the seeds), ending
#       after SECONDS or RUNS runs, whichever comes first; its log is CORPUS.log.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${TS_FUZZ_BIN:-build/fuzz/bin}

# target folder dictionary mutate: "seeds" runs only the seeds in the smoke run, for a target
# whose mutations still find known faults.
targets=(
  "hfs_path hfspath hfs_path.dict yes"
  "projects_xml xml projects_xml.dict yes"
  "streams streams streams.dict yes"
  "file_name_template template template.dict yes"
  "page_range pagerange page_range.dict yes"
  "loader loader loader.dict yes"
)

find_target() {
  for t in "${targets[@]}"; do
    read -r name folder dict mutate <<<"$t"
    [ "$name" = "$1" ] && return 0
  done
  echo "no fuzz target $1" >&2
  exit 2
}

smoke() {
  local seconds=$1 failed=0
  for t in "${targets[@]}"; do
    read -r name folder dict mutate <<<"$t"
    local exe=$bin/fuzz_$name work
    if [ ! -x "$exe" ]; then
      echo "fuzz_$name: not built" >&2
      failed=1
      continue
    fi
    work=$(mktemp -d)
    local args=(-dict="fuzz/$folder/$dict" -artifact_prefix="$work/" -seed=1)
    if [ "$mutate" = yes ]; then
      args+=(-max_total_time="$seconds" "$work/corpus" "fuzz/$folder/seeds")
      mkdir "$work/corpus"
    else
      args+=(-runs=0 "fuzz/$folder/seeds")
    fi
    if "$exe" "${args[@]}" >"$work/log" 2>&1; then
      echo "fuzz_$name: $(grep -Eo 'cov: [0-9]+' "$work/log" | tail -1), $(ls "fuzz/$folder/seeds" | wc -l) seeds"
    else
      echo "fuzz_$name failed:" >&2
      tail -n 60 "$work/log" >&2
      ls "$work"/crash-* "$work"/leak-* "$work"/timeout-* 2>/dev/null | sed 's/^/  input: /' >&2 || true
      failed=1
      continue
    fi
    rm -rf "$work"
  done
  return $failed
}

case "${1:-}" in
  smoke)
    smoke "${2:-5}"
    ;;
  run)
    [ $# -eq 5 ] || { echo "usage: $0 run TARGET SECONDS RUNS CORPUS" >&2; exit 2; }
    find_target "$2"
    read -r name folder dict mutate <<<"$(for t in "${targets[@]}"; do [ "${t%% *}" = "$2" ] && echo "$t"; done)"
    mkdir -p "$5"
    "$bin/fuzz_$name" -dict="fuzz/$folder/$dict" -max_total_time="$3" -runs="$4" -print_final_stats=1 \
      -close_fd_mask=2 -artifact_prefix="$5/" "$5" "fuzz/$folder/seeds" >"$5.log" 2>&1
    ;;
  *)
    sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac

#!/usr/bin/env bash
# Scripted timings of the projects panel on large project lists served by tessaron-proofd on
# loopback, each beside the same work done bare in the same run:
#   - panel show (download, parse, tree drawn): at most 1.2 x (`curl -o` + a bare parse);
#   - Refresh with the list cached, and Refresh that downloads the whole list again: at most
#     1.2 x a bare parse;
#   - the host's peak memory over show and both Refreshes: at most 1.3 x a bare parse's peak.
# Three shapes of 100,000 projects: the generator's nested groups, 2,000 top-level groups,
# and 20 top-level groups of about 5,000 projects each. Medians of several runs, the sides
# taking turns; panel_parts then weighs the document, the records and the index.
#   bench/plugin/panel/panel-timings.sh [build/default/bin] [runs, default 3]
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
bin=${1:-$root/build/default/bin}
runs=${2:-3}
work=$(mktemp -d /tmp/panel-bench-XXXXXX)
server_pid=""
cleanup() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
field() { sed -n "s/.* *$1 \([0-9.]*\).*/\1/p" | head -1; }
ratio() { awk "BEGIN { printf \"%.2f\", $1 / $2 }"; }

"$root/scripts/gen-projects.py" --groups 2000 --projects 100000 > "$work/nested.xml"
"$root/scripts/gen-projects.py" --flat --groups 2000 --projects 100000 > "$work/flat.xml"
"$root/scripts/gen-projects.py" --flat --groups 20 --projects 100000 > "$work/wide.xml"

for shape in nested flat wide; do
  "$bin/tessaron-proofd" --port 0 --projects "$work/$shape.xml" --users "$root/samples/users.json" \
    --uploads "$work/uploads" > "$work/out" &
  server_pid=$!
  for _ in $(seq 100); do grep -q listening "$work/out" 2>/dev/null && break; sleep 0.1; done
  port=$(sed -n 's/^listening 127.0.0.1://p' "$work/out")
  [ -n "$port" ] || { echo "server did not start" >&2; exit 1; }
  url="http://127.0.0.1:$port"

  for f in curl parse parse_peak show refresh update peak; do : > "$work/$f"; done
  for _ in $(seq "$runs"); do
    curl -sS -o "$work/answer.xml" -w '%{time_total}\n' "$url/indd_xml.asp?username=demo&password=demo&getupdate=1" \
      >> "$work/curl"
    line=$("$bin/panel_bench" bare "$work/answer.xml")
    echo "$line" | field seconds >> "$work/parse"
    echo "$line" | field peak_kib >> "$work/parse_peak"
    line=$("$bin/panel_bench" show "$url")
    [ "$(echo "$line" | field ok)" = 1 ] || { echo "panel show failed: $line" >&2; exit 1; }
    for f in show refresh update; do echo "$line" | field "$f" >> "$work/$f"; done
    echo "$line" | field peak_kib >> "$work/peak"
  done
  kill "$server_pid"; wait "$server_pid" 2>/dev/null || true; server_pid=""

  curl_s=$(median < "$work/curl"); parse=$(median < "$work/parse"); parse_peak=$(median < "$work/parse_peak")
  show=$(median < "$work/show"); refresh=$(median < "$work/refresh"); update=$(median < "$work/update")
  peak=$(median < "$work/peak")
  echo "$shape list, $(stat -c %s "$work/answer.xml") bytes: curl -o ${curl_s} s, bare parse ${parse} s"
  echo "  panel show ${show} s, ratio $(ratio "$show" "($curl_s + $parse)") (limit 1.2)"
  echo "  Refresh, list cached ${refresh} s, ratio $(ratio "$refresh" "$parse") (limit 1.2)"
  echo "  Refresh, whole list again ${update} s, ratio $(ratio "$update" "$parse") (limit 1.2)"
  echo "  peak memory: host $((peak / 1024)) MiB, bare parse $((parse_peak / 1024)) MiB," \
    "ratio $(ratio "$peak" "$parse_peak") (limit 1.3)"
  echo "  heap: $("$bin/panel_parts" "$work/$shape.xml")"
done

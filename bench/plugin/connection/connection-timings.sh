#!/usr/bin/env bash
# Scripted timings of the plug-in's connection against tessaron-proofd on loopback, each
# beside the curl program doing the same in the same run:
#   - upload of a large file: at most 1.1 x `curl -F`, with the uploading process's peak
#     memory under 64 MiB (the file is streamed);
#   - download and parse of a generated project list: at most 1.2 x `curl -o` plus the
#     reader's bare parse of the same answer.
# Each figure is the median of several runs, the two sides taking turns.
#   bench/plugin/connection/connection-timings.sh [build/default/bin] [upload MiB, default 1024] [runs, default 3]
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
bin=${1:-$root/build/default/bin}
mib=${2:-1024}
runs=${3:-3}
work=$(mktemp -d /tmp/connection-bench-XXXXXX)
server_pid=""
cleanup() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
field() { sed -n "s/.*$1 \([0-9.]*\).*/\1/p"; }

"$root/scripts/gen-projects.py" --groups 2000 --projects 100000 > "$work/big.xml"
head -c "$((mib * 1024 * 1024))" /dev/urandom > "$work/upload.pdf"
mkdir -p "$work/support"

"$bin/tessaron-proofd" --port 0 --projects "$work/big.xml" --users "$root/samples/users.json" \
  --uploads "$work/uploads" > "$work/out" &
server_pid=$!
for _ in $(seq 100); do grep -q listening "$work/out" 2>/dev/null && break; sleep 0.1; done
port=$(sed -n 's/^listening 127.0.0.1://p' "$work/out")
[ -n "$port" ] || { echo "server did not start" >&2; exit 1; }
url="http://127.0.0.1:$port"
query="username=demo&password=demo&project_id=1001&status_id=2&item_numbers=1-4"

: > "$work/curl-up"; : > "$work/ours-up"; : > "$work/peak"
for _ in $(seq "$runs"); do
  curl -sS -o /dev/null -F "file=@$work/upload.pdf" -w '%{time_total}\n' \
    "$url/indd_filetransfer.asp?$query" >> "$work/curl-up"
  rm -rf "$work/uploads"/*
  line=$("$bin/connection_bench" upload "$work/upload.pdf" "$url")
  [ "$(echo "$line" | field ok)" = 1 ] || { echo "upload failed: $line" >&2; exit 1; }
  echo "$line" | field seconds >> "$work/ours-up"
  echo "$line" | field peak_kib >> "$work/peak"
  rm -rf "$work/uploads"/*
done

: > "$work/curl-down"; : > "$work/parse"; : > "$work/ours-down"
for _ in $(seq "$runs"); do
  curl -sS -o "$work/answer.xml" -w '%{time_total}\n' "$url/indd_xml.asp?username=demo&password=demo&getupdate=1" \
    >> "$work/curl-down"
  "$bin/connection_bench" parse "$work/answer.xml" | field seconds >> "$work/parse"
  line=$("$bin/connection_bench" download "$url" "$work/support")
  [ "$(echo "$line" | field ok)" = 1 ] || { echo "download failed: $line" >&2; exit 1; }
  echo "$line" | field seconds >> "$work/ours-down"
done

curl_up=$(median < "$work/curl-up"); ours_up=$(median < "$work/ours-up"); peak=$(sort -n "$work/peak" | tail -1)
curl_down=$(median < "$work/curl-down"); parse=$(median < "$work/parse"); ours_down=$(median < "$work/ours-down")
echo "upload of $mib MiB: curl -F ${curl_up} s, connection ${ours_up} s," \
  "ratio $(awk "BEGIN { printf \"%.3f\", $ours_up / $curl_up }") (limit 1.1)"
echo "upload peak memory: $((peak / 1024)) MiB (limit 64)"
echo "project list of $(stat -c %s "$work/answer.xml") bytes: curl -o ${curl_down} s + parse ${parse} s," \
  "connection ${ours_down} s, ratio $(awk "BEGIN { printf \"%.3f\", $ours_down / ($curl_down + $parse) }") (limit 1.2)"

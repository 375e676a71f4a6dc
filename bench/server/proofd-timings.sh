#!/usr/bin/env bash
# Scripted timings of tessaron-proofd on large data: the full project-list
# download of a generated list and one large upload, with the server's peak
# memory, which must stay small because both are streamed.
#   bench/server/proofd-timings.sh [build/default/bin] [upload MiB, default 1024]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=${1:-$root/build/default/bin}
mib=${2:-1024}
work=$(mktemp -d /tmp/proofd-bench-XXXXXX)
server_pid=""
cleanup() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

"$root/scripts/gen-projects.py" --groups 2000 --projects 100000 > "$work/big.xml"
head -c "$((mib * 1024 * 1024))" /dev/urandom > "$work/upload.pdf"

"$bin/tessaron-proofd" --projects "$work/big.xml" --users "$root/samples/users.json" \
  --uploads "$work/uploads" > "$work/out" &
server_pid=$!
for _ in $(seq 100); do grep -q listening "$work/out" 2>/dev/null && break; sleep 0.1; done
port=$(sed -n 's/^listening 127.0.0.1://p' "$work/out")
[ -n "$port" ] || { echo "server did not start" >&2; exit 1; }

echo "project list: $(stat -c %s "$work/big.xml") bytes"
curl -sS -o /dev/null -w 'download: status %{http_code}, %{size_download} bytes in %{time_total} s\n' \
  "http://127.0.0.1:$port/indd_xml.asp?username=demo&password=demo&getupdate=1"
curl -sS -o /dev/null -H 'Expect:' -F "file=@$work/upload.pdf;type=application/pdf" \
  -w "upload: status %{http_code}, %{size_upload} bytes in %{time_total} s\n" \
  "http://127.0.0.1:$port/indd_filetransfer.asp?username=demo&password=demo&project_id=1&status_id=1&item_numbers=1"
cmp -s "$work/upload.pdf" "$work/uploads/upload.pdf" && echo "upload stored intact"
grep VmHWM "/proc/$server_pid/status" | sed 's/^VmHWM:\s*/server peak memory: /'

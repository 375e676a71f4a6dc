#!/usr/bin/env bash
# Installs what is missing, builds, starts the stand-in proofing server with the sample
# project list and runs the host with Tessaron on the demo script. Everything the run writes
# stays in a temporary folder, which is printed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
# Only what the demo runs: the host, the plug-in with its merged resource file, which the host
# loads from its own folder, and the server. The tests and benchmarks are test.sh's.
echo "== building the host, the plug-in and the server"
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target tessaron-host Tessaron Tessaron_resources tessaron-proofd
bin=build/default/bin
work=$(mktemp -d /tmp/tessaron-demo-XXXXXX)
mkdir -p "$work/uploads"

"$bin/tessaron-proofd" --port 0 --projects samples/projects.xml --users samples/users.json \
  --uploads "$work/uploads" --log "$work/requests.log" > "$work/proofd.out" &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
for _ in $(seq 50); do grep -q listening "$work/proofd.out" 2>/dev/null && break; sleep 0.1; done
url="http://$(head -1 "$work/proofd.out" | cut -d' ' -f2)"
echo "proofing server: $url"
sed "s|\$SERVER|$url|g" samples/demo.txt > "$work/demo.txt"

root=$PWD
cd "$work"
"$root/$bin/tessaron-host" --home "$work/home" --clock real --echo "$work/demo.txt"
echo
echo "uploaded to the server:"
ls -l "$work/uploads"
echo "demo files: $work"

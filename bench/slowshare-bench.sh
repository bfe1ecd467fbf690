#!/usr/bin/env bash
# Runs the benchmark with its data folder on a network drive in miniature: slowshare.py mirrors a
# folder through FUSE and adds DELAY_MS to every file-system call, as a busy file server does.
# Needs root, /dev/fuse and the Debian packages fuse3 and python3-fusepy (Debian's own python3).
# Usage: bench/slowshare-bench.sh DELAY_MS [benchmark options, e.g. --benchmark_filter=HourRoll]
set -euo pipefail
delay=${1:?usage: slowshare-bench.sh DELAY_MS [benchmark options]}
shift
root=$(cd "$(dirname "$0")/.." && pwd)
bench=${CUEPILOT_BENCH_BIN:-$root/build/rel/bin/cuepilot_bench}
source=$(mktemp -d)
mount=$(mktemp -d)
/usr/bin/python3 "$root/bench/slowshare.py" "$source" "$mount" "$delay" &
share=$!
cleanup() {
    fusermount -u "$mount" 2>/dev/null || fusermount3 -u "$mount" 2>/dev/null || true
    wait "$share" 2>/dev/null || true
    rm -rf "$source" "$mount"
}
trap cleanup EXIT
for _ in $(seq 100); do mountpoint -q "$mount" && break; sleep 0.1; done
mountpoint -q "$mount" || { echo "slowshare did not mount" >&2; exit 1; }
# The share's process, which the hold benchmarks stop and resume as a share that stops answering.
CUEPILOT_BENCH_SHARE="$source:$mount" CUEPILOT_BENCH_SHARE_PID="$share" "$bench" "$@"

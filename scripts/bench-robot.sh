#!/usr/bin/env bash
# Builds and runs the robot's benchmark (Release): uploads per second of a 300-QSO log sent
# over HTTP on the loopback address by 1 to 16 clients at once to `velmor robot`'s server
# (each checked, scored, stored with a durable commit and answered with a receipt), and the
# two halves alone (the review of one log; one durable insert). Prints the table.
# Usage: bench-robot.sh [robot_bench options]; VELMOR_BENCH_DIR picks the build tree
# (default build/bench). The database is written under it, on the disk the tree is on.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir="${VELMOR_BENCH_DIR:-$top/build/bench}"
mkdir -p "$dir"

cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=Release >"$dir/robot-configure.log" 2>&1 \
  || { cat "$dir/robot-configure.log"; exit 1; }
cmake --build "$dir" -j "$(nproc)" --target robot_bench >"$dir/robot-build.log" 2>&1 \
  || { cat "$dir/robot-build.log"; exit 1; }

json="$dir/robot-bench.json"
echo "Running $dir/bench/robot_bench..."
"$dir/bench/robot_bench" --benchmark_out="$json" --benchmark_out_format=json "$@" >"$dir/robot-bench.log" 2>&1 \
  || { cat "$dir/robot-bench.log"; exit 1; }

python3 - "$json" <<'PY'
import json, sys

rows = [b for b in json.load(open(sys.argv[1]))["benchmarks"] if b.get("run_type", "iteration") == "iteration"]
print()
print("%-28s %10s %14s" % ("operation", "per second", "time each"))
print("-" * 54)
for b in rows:
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    name = b["name"].replace("/real_time", "").replace("/min_time:2.000", "").replace("/min_time:1.000", "")
    if name.startswith("upload/threads:"):
        name = "upload, %s clients" % name.split(":")[1]
    elif name == "review":
        name = "review of one log (CPU)"
    elif name == "store":
        name = "durable insert"
    print("%-28s %10.0f %11.2f ms" % (name, b["items_per_second"], b["real_time"] * scale if "upload" not in name else 1000.0 / b["items_per_second"] * int(b.get("threads", 1))))
best = max((b["items_per_second"] for b in rows if b["name"].startswith("upload")), default=0)
print()
print("target (measured, not asserted):")
print("  %-7s hundreds of uploads a second: %.0f at best" % ("met" if best >= 200 else "MISSED", best))
PY

#!/usr/bin/env bash
# Builds and runs the crosscheck benchmark (Release): velmor crosscheck end to end (read
# every log, apply the rules, write every output) on seeded synthetic contests of 100,000
# and 1,000,000 QSO lines, and prints the table with the targets. The contests are written
# once into <build dir>/crosscheck-bench/ (about 90 MB for the larger one) and reused.
# Usage: bench-crosscheck.sh [crosscheck_bench options]; VELMOR_BENCH_DIR picks the build
# tree (default build/bench).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir="${VELMOR_BENCH_DIR:-$top/build/bench}"
mkdir -p "$dir"

cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=Release >"$dir/crosscheck-configure.log" 2>&1 \
  || { cat "$dir/crosscheck-configure.log"; exit 1; }
cmake --build "$dir" -j "$(nproc)" --target crosscheck_bench >"$dir/crosscheck-build.log" 2>&1 \
  || { cat "$dir/crosscheck-build.log"; exit 1; }

json="$dir/crosscheck-bench.json"
echo "Running $dir/bench/crosscheck_bench (the first run also writes the contests)..."
"$dir/bench/crosscheck_bench" --benchmark_out="$json" --benchmark_out_format=json "$@" >"$dir/crosscheck-bench.log" 2>&1

python3 - "$json" <<'PY'
import json, sys

rows = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("run_type", "iteration") != "iteration":
        continue
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    rows[int(b["lines"])] = dict(wall=b["real_time"] * scale, cpu=b["cpu_time"] * scale,
                                 heap=b["peak_heap_B_per_line"], rss=b["max_rss_MB"])
print()
print("%10s %12s %12s %14s %16s %12s" % ("QSO lines", "wall", "CPU", "wall per line", "peak heap/line", "max RSS"))
print("-" * 82)
for n in sorted(rows):
    r = rows[n]
    print("%10d %9.0f ms %9.0f ms %11.0f ns %14.0f B %9.0f MB" % (n, r["wall"], r["cpu"], r["wall"] * 1e6 / n, r["heap"], r["rss"]))
print()
print("targets (measured, not asserted):")
def target(text, ok):
    print("  %-7s %s" % ("met" if ok else "MISSED", text))
big, small = rows.get(1000000), rows.get(100000)
if big:
    target("1,000,000 QSO lines end to end in %.2f s wall, %.2f s CPU (under 3 s)" % (big["wall"] / 1e3, big["cpu"] / 1e3), big["wall"] < 3000)
    target("peak heap %.0f B per QSO line at 1,000,000 (under 300 B)" % big["heap"], big["heap"] < 300)
    target("whole process at most %.0f B per QSO line at 1,000,000 (max RSS, under 300 B)" % (big["rss"] * 1048576 / 1e6), big["rss"] * 1048576 / 1e6 < 300)
if big and small:
    a, b = small["wall"] / 1e5, big["wall"] / 1e6
    target("time per line at 1,000,000 is %.2fx that at 100,000 (within 1.5x)" % (b / a), b <= 1.5 * a)
PY

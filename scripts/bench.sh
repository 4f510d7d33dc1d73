#!/usr/bin/env bash
# Builds the benchmarks natively (Release, in build/bench), runs them and prints the table:
# each host call timed for the plug-in and for the plain-walk reference in the same run,
# their ratio, the heap per QSO, and how the figures stand against the targets. Times are
# CPU times of the benchmark thread (steadier than wall time on a shared machine).
# Usage: bench.sh [velmor_bench options, e.g. --benchmark_filter=checkcall --benchmark_min_time=1]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir="$top/build/bench"
mkdir -p "$top/build"

cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=Release >"$dir.configure.log" 2>&1 \
  || { cat "$dir.configure.log"; exit 1; }
cmake --build "$dir" -j "$(nproc)" --target velmor_bench >"$dir.build.log" 2>&1 \
  || { cat "$dir.build.log"; exit 1; }

json="$dir/bench.json"
echo "Running $dir/bench/velmor_bench (one to three minutes)..."
"$dir/bench/velmor_bench" --benchmark_out="$json" --benchmark_out_format=json "$@" >"$dir/bench.log" 2>&1

python3 - "$json" <<'PY'
import json, sys

data = json.load(open(sys.argv[1]))
to_us = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}
times, counters = {}, {}
for b in data["benchmarks"]:
    if b.get("run_type", "iteration") != "iteration":
        continue
    op, side, size = b["name"].split("/")[:3]
    key = (op, side, int(size))
    # CPU time of the one benchmark thread: other work on the machine does not count in.
    # The removal is timed by hand (thread CPU time too), so its "real" time is that figure.
    manual = b["name"].endswith("/manual_time")
    times[key] = b["real_time" if manual else "cpu_time"] * to_us[b["time_unit"]]
    if "state_B_per_QSO" in b:
        counters[(side, int(size))] = (b["state_B_per_QSO"], b["peak_B_per_QSO"])

def fmt(us):
    if us is None:
        return "-"
    if us >= 1000:
        return "%.2f ms" % (us / 1000)
    if us >= 1:
        return "%.2f us" % us
    return "%.0f ns" % (us * 1000)

ops = []
for op, _, _ in times:
    if op not in ops:
        ops.append(op)
sizes = sorted({s for _, _, s in times})
print()
print("%-20s %8s %12s %12s %10s" % ("operation", "QSOs", "plug-in", "reference", "ratio"))
print("-" * 66)
for op in ops:
    for n in sizes:
        p, r = times.get((op, "plugin", n)), times.get((op, "reference", n))
        if p is None and r is None:
            continue
        ratio = "%.1fx" % (r / p) if p and r else "-"
        print("%-20s %8d %12s %12s %10s" % (op, n, fmt(p), fmt(r), ratio))

if counters:
    print()
    print("%-20s %8s %18s %18s" % ("heap per QSO", "QSOs", "loaded state", "peak while loading"))
    print("-" * 68)
    for side in ("plugin", "reference"):
        for n in sizes:
            if (side, n) in counters:
                s, pk = counters[(side, n)]
                print("%-20s %8d %16.0f B %16.0f B" % (side if side == "reference" else "plug-in", n, s, pk))

def t(op, side, n):
    return times.get((op, side, n))

checks = []
def target(text, ok):
    checks.append("%-7s %s" % ("met" if ok else "MISSED", text))

for op, label in (("checkcall", "CheckCall0"), ("getresult", "GetResult0 without Cabrillo")):
    a, b = t(op, "plugin", 1000), t(op, "plugin", 100000)
    if a and b:
        target("%s: 100,000 QSOs take %.2fx the time of 1,000 (at most 2x)" % (label, b / a), b <= 2 * a)
    r = t(op, "reference", 100000)
    if b and r:
        target("%s: %.0fx faster than the reference at 100,000 (at least 100x)" % (label, r / b), r >= 100 * b)
a, b = t("reload", "plugin", 10000), t("reload", "plugin", 100000)
if b:
    target("bulk reload of 100,000 QSOs: %s (under 100 ms)" % fmt(b), b < 100000)
if a and b:
    target("bulk reload linear: %.0f ns per QSO at 10,000, %.0f ns at 100,000 (at most 2x)"
           % (a / 10, b / 100), b / 100000 <= 2 * a / 10000)
if ("plugin", 100000) in counters:
    s = counters[("plugin", 100000)][0]
    target("plug-in state at 100,000 QSOs: %.0f B per QSO (under 1 KB)" % s, s < 1024)
if checks:
    print()
    print("targets (measured, not asserted):")
    for c in checks:
        print("  " + c)
PY

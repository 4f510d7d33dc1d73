#!/usr/bin/env bash
# One bounded libFuzzer run of a target, starting from its seed corpus.
# Usage: run_fuzz.sh FUZZER WORK_DIR SEED_CORPUS SECONDS [more libFuzzer options]
# New inputs go to WORK_DIR/corpus (the seed corpus is only read); a crashing input is
# left as WORK_DIR/crash-* and its name printed. Ends with "fuzz: no finding" on success.
set -uo pipefail
fuzzer=$1 work=$2 seeds=$3 seconds=$4; shift 4
mkdir -p "$work/corpus"
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/" "$@" "$work/corpus" "$seeds" 2>&1 | tee "$work/last-run.log" | tail -n 20
rc=${PIPESTATUS[0]}
if [ "$rc" -ne 0 ]; then
  echo "fuzz: finding (exit $rc); input kept in $work/"
  exit 1
fi
echo "fuzz: no finding ($(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/last-run.log" | grep -o '[0-9]*$') runs)"

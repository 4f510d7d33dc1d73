#!/usr/bin/env bash
# Takes a screenshot of Orvin's panel beside the stand-in host's window (a test artifact).
# Usage: screenshot.sh kova-host.exe Orvin.exe OUTPUT.png      (run in a scratch directory)
set -u
host_exe=$1 orvin_exe=$2 out=$3
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
source "$scripts/wine-env.sh"
log=screenshot-host.log
rm -f "$log"

wait_for() {  # seconds, command...: polls the command until it succeeds (hang guard)
  local limit=$1; shift
  for _ in $(seq 1 $((limit * 10))); do "$@" && return 0; sleep 0.1; done
  return 1
}
macros_arrived() { [ "$(grep -cs '^macro ' "$log")" -ge 2 ]; }

VELMOR_WINE_TIMEOUT=120 "$scripts/wine-run.sh" "$host_exe" --log "$log" &
host_job=$!
if ! wait_for 60 grep -qs '^ready' "$log"; then
  echo "the stand-in host did not start"; kill "$host_job" 2>/dev/null; exit 1
fi
VELMOR_WINE_TIMEOUT=120 "$scripts/wine-run.sh" "$orvin_exe" &
orvin_job=$!
status=0
if ! wait_for 60 macros_arrived; then
  echo "the panel did not start"; status=1
fi
sleep 1   # let both windows paint; the picture is for people, nothing is compared
mkdir -p "$(dirname "$out")"
xwd -root -silent -display "$DISPLAY" | xwdtopnm 2>/dev/null | pnmtopng > "$out" 2>/dev/null
[ -s "$out" ] || { echo "no screenshot written"; status=1; }

# The host exits; the panel's watchdog then ends the companion.
VELMOR_WINE_TIMEOUT=30 "$scripts/wine-run.sh" "$host_exe" --send exit >/dev/null 2>&1
wait_for 30 bash -c "! kill -0 $host_job 2>/dev/null" || { echo "host did not exit"; kill "$host_job"; status=1; }
wait_for 30 bash -c "! kill -0 $orvin_job 2>/dev/null" || { echo "panel outlived the host"; kill "$orvin_job"; status=1; }
wait
[ $status -eq 0 ] && echo "screenshot: $out"
exit $status

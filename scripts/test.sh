#!/usr/bin/env bash
# Runs every test: native unit tests, then the Windows binaries under Wine (x86_64 with
# Xvfb for the windows and dialogs; i686 through WoW64 for the 32-bit console checks).
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/deps.sh" || exit 1
bash "$top/scripts/build.sh" --no-deps || { echo "0 passed, 1 failed"; exit 1; }

source "$top/scripts/wine-env.sh"
n=${DISPLAY#:}
xvfb_was_running=0; [ -S "/tmp/.X11-unix/X$n" ] && xvfb_was_running=1
velmor_xvfb
velmor_prefix
"$VELMOR_WINESERVER" -p   # keep one wineserver for the whole run
velmor_warm

passed=0; failed=0
run_ctest() {  # build dir
  local log="$top/build/$1.ctest.log"
  echo "== tests: $1"
  ctest --test-dir "$top/build/$1" --output-on-failure --timeout 300 2>&1 | tee "$log"
  local line; line=$(grep -E '[0-9]+% tests passed' "$log" | tail -n 1)
  if [ -n "$line" ]; then
    local f t; f=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
    t=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
    passed=$((passed + t - f)); failed=$((failed + f))
  elif ! grep -q 'No tests were found' "$log"; then
    failed=$((failed + 1))
  fi
}
run_ctest native
run_ctest win64
run_ctest win32

"$VELMOR_WINESERVER" -k 2>/dev/null || true
if [ "$xvfb_was_running" = 0 ]; then pkill -f "Xvfb $DISPLAY " 2>/dev/null || true; fi
echo
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

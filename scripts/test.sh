#!/usr/bin/env bash
# Runs every test: native unit tests, the sanitizer tree, the Windows binaries under Wine
# (x86_64 with Xvfb for the windows and dialogs; the shipped i686 ones, with windows where
# Debian's 32-bit Wine runs, else console programs through WoW64), then build/linux32: the
# core's and velmor's tests as 32-bit x86 code, and the parity of every velmor build.
# Each tree runs with ctest -j$(nproc); tests that need the desktop or the one wineserver's
# global names hold a ctest RESOURCE_LOCK, so they take turns. The Xvfb is started here
# (VELMOR_DISPLAY, or a free display) and reaches each test through the environment.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/deps.sh" || exit 1
bash "$top/scripts/build.sh" --no-deps || { echo "0 passed, 1 failed"; exit 1; }

source "$top/scripts/wine-env.sh"
velmor_wine_up || { echo "0 passed, 1 failed"; exit 1; }
trap 'velmor_wine_down' EXIT
trap 'exit 130' INT TERM
echo "tests: X display $VELMOR_DISPLAY, Wine prefix $WINEPREFIX"

jobs=$(nproc)
passed=0; failed=0; skipped=0
run_ctest() {  # build dir
  local log="$top/build/$1.ctest.log"
  echo "== tests: $1"
  ctest --test-dir "$top/build/$1" -j "$jobs" --output-on-failure --timeout 300 2>&1 | tee "$log"
  local line; line=$(grep -E '[0-9]+% tests passed' "$log" | tail -n 1)
  if [ -n "$line" ]; then
    local f t; f=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
    t=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
    local k; k=$(grep -cE '^[[:space:]]+[0-9]+ - .* \(Skipped\)$' "$log")
    passed=$((passed + t - f - k)); failed=$((failed + f)); skipped=$((skipped + k))
  elif ! grep -q 'No tests were found' "$log"; then
    failed=$((failed + 1))
  fi
}
run_ctest native

# ---- Sanitizer tree (build/asan): the native core, tools and tests built by clang with
# AddressSanitizer and UndefinedBehaviorSanitizer; any report fails its test. Its ctest
# also runs every fuzz target over its seed corpus and makes a short bounded libFuzzer
# run of each (tests/fuzz).
echo "build: asan"
if CC=clang CXX=clang++ cmake -S "$top" -B "$top/build/asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
     -DVELMOR_SANITIZE=ON >"$top/build/asan.configure.log" 2>&1 &&
   cmake --build "$top/build/asan" -j "$(nproc)" >"$top/build/asan.build.log" 2>&1; then
  ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 run_ctest asan
else
  echo "== asan build failed:"; tail -n 40 "$top/build/asan.configure.log" "$top/build/asan.build.log"
  failed=$((failed + 1))
fi
run_ctest win64
run_ctest win32
run_ctest linux32

echo
if [ "$skipped" -gt 0 ]; then
  echo "(skipped: $(velmor_32bit_note || echo "each skipped test says why in its tree's Testing/Temporary/LastTest.log"))"
  echo "$passed passed, $failed failed, $skipped skipped"
else
  echo "$passed passed, $failed failed"
fi
[ "$failed" -eq 0 ]

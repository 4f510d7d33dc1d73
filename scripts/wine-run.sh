#!/usr/bin/env bash
# Runs one Windows program under wine64 (64-bit, or 32-bit console programs through WoW64)
# in this checkout's prefix, with a Russian locale (code page 1251) and a time limit.
# Usage: wine-run.sh PROGRAM.exe [ARGS...]     (VELMOR_WINE_TIMEOUT seconds, default 120)
# Windows need an X display: VELMOR_DISPLAY, which scripts/test.sh and scripts/with-wine.sh
# set for everything they run (ctest starts this wrapper once per test).
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
if [ -z "${VELMOR_DISPLAY:-}" ]; then
  echo "wine-run: no VELMOR_DISPLAY, so no windows can be shown (run through scripts/with-wine.sh)" >&2
fi
# A test that runs a 32-bit program is skipped (exit 77, and this line for ctest's
# SKIP_REGULAR_EXPRESSION) where the machine cannot run 32-bit code at all.
if velmor_is_32bit_exe "$1" && ! velmor_runs_32bit; then
  echo "wine-run: skipped: this machine cannot run 32-bit x86 code (no IA-32 emulation in the kernel), so Wine cannot start $1"
  exit 77
fi
velmor_prefix || exit 1
exec env LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8 timeout -k 5 "${VELMOR_WINE_TIMEOUT:-120}" "$VELMOR_WINE" "$@"

#!/usr/bin/env bash
# Runs one Windows program under Wine in this checkout's prefix, with a Russian locale (code
# page 1251) and a time limit: 64-bit programs on wine64; 32-bit programs on Debian's 32-bit
# Wine where it is installed, else on wine64's WoW64 mode (console programs only).
# Usage: wine-run.sh PROGRAM.exe [ARGS...]     (VELMOR_WINE_TIMEOUT seconds, default 120)
#        wine-run.sh --can-run PROGRAM.exe     only says whether it would be skipped (below)
# Windows need an X display: VELMOR_DISPLAY, which scripts/test.sh and scripts/with-wine.sh
# set for everything they run (ctest starts this wrapper once per test).
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
can_run_only=
if [ "${1:-}" = --can-run ]; then can_run_only=1; shift; fi

# A test that runs a 32-bit program is skipped (exit 77, and a line "wine-run: skipped: "
# for ctest's SKIP_REGULAR_EXPRESSION) where the machine cannot run 32-bit code at all; a
# test that opens windows (VELMOR_WINE_WINDOWS=1, set on the desktop tests) also where
# Debian's 32-bit Wine is missing, as the WoW64 mode loads no display driver. --can-run
# prints the same line and exits 77, or exits 0, for scripts that must know beforehand.
wine=$VELMOR_WINE
if velmor_is_32bit_exe "$1"; then
  if ! velmor_runs_32bit; then
    echo "wine-run: skipped: this machine cannot run 32-bit x86 code (no IA-32 emulation in the kernel), so Wine cannot start $1"
    exit 77
  elif velmor_has_wine32; then
    wine=$VELMOR_WINE32
    unset WINEDLLPATH   # the 32-bit loader has its own DLLs
  elif [ "${VELMOR_WINE_WINDOWS:-}" = 1 ]; then
    echo "wine-run: skipped: $(velmor_no_wine32_why); without it Wine runs 32-bit programs in its WoW64 mode, which opens no windows, so $1 cannot show its windows"
    exit 77
  fi
fi
[ -z "$can_run_only" ] || exit 0

if [ -z "${VELMOR_DISPLAY:-}" ]; then
  echo "wine-run: no VELMOR_DISPLAY, so no windows can be shown (run through scripts/with-wine.sh)" >&2
fi
velmor_prefix || exit 1
exec env LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8 timeout -k 5 "${VELMOR_WINE_TIMEOUT:-120}" "$wine" "$@"

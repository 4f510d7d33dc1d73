#!/usr/bin/env bash
# Runs one Windows program under wine64 (64-bit, or 32-bit console programs through WoW64)
# in this checkout's prefix, with Xvfb, a Russian locale (code page 1251) and a time limit.
# Usage: wine-run.sh PROGRAM.exe [ARGS...]     (VELMOR_WINE_TIMEOUT seconds, default 120)
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
velmor_xvfb
velmor_prefix
exec env LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8 timeout -k 5 "${VELMOR_WINE_TIMEOUT:-120}" "$VELMOR_WINE" "$@"

#!/usr/bin/env bash
# velmor.exe started as a double-click starts it (a console window of its own, here through
# Wine's "start /wait"): it shows its usage and keeps the window open until Enter, then ends
# with status 2 (no subcommand given). Needs the display (VELMOR_DISPLAY) and xdotool.
# Usage: double_click.sh VELMOR_EXE
set -uo pipefail
exe=$1
top=$(cd "$(dirname "$0")/../.." && pwd)
"$top/scripts/wine-run.sh" --can-run "$exe" || exit 77
source "$top/scripts/wine-env.sh"
velmor_prefix || exit 1
work=$(mktemp -d "${TMPDIR:-/tmp}/velmor-double-click.XXXXXX")
pid=
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

( cd "$work" && env LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8 timeout 120 "$VELMOR_WINE" start /wait /unix "$exe"; echo $? >"$work/status" ) >/dev/null 2>&1 &
pid=$!
# The window of its own, titled with the program's path.
window=
for _ in $(seq 1 120); do
  window=$(xdotool search --name 'velmor\.exe' 2>/dev/null | head -1)
  [ -n "$window" ] && break
  [ -f "$work/status" ] && fail "velmor.exe ended without waiting (status $(cat "$work/status"))"
  sleep 0.5
done
[ -n "$window" ] || fail "no console window of velmor.exe appeared"
# Shown, and still there: it waits for Enter (a window that flashes would be gone by now).
sleep 2
[ -f "$work/status" ] && fail "velmor.exe closed its window before Enter (status $(cat "$work/status"))"
xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
xdotool key --window "$window" Return >/dev/null 2>&1
for _ in $(seq 1 60); do
  [ -f "$work/status" ] && break
  sleep 0.5
done
[ -f "$work/status" ] || fail "velmor.exe did not end after Enter"
[ "$(cat "$work/status")" = 2 ] || fail "velmor.exe ended with status $(cat "$work/status"), not 2"
echo "double-click: velmor.exe showed its usage and waited for Enter"

#!/usr/bin/env bash
# velmor.exe under Wine on the example contest: status 1 (notes.log is left out) and every
# output byte for byte as the Linux build's expected files; --help says SQLite is missing.
# Usage: windows_example.sh WINE-RUN VELMOR.EXE SOURCE-DIR OUT-DIR
set -uo pipefail
run=$1 exe=$2 src=$3 out=$4
rm -rf "$out"
cd "$src" || exit 1
bash "$run" "$exe" crosscheck examples/crosscheck -o "Z:$out" --period 2026-05-16T12:00 2026-05-16T16:00
status=$?
[ "$status" = 1 ] || { echo "exit status $status, expected 1"; exit 1; }
diff -r "$out" tests/data/crosscheck/expected || exit 1
bash "$run" "$exe" crosscheck --help | tr -d '\r' | grep -q "not available in this Windows build" \
  || { echo "--help does not say that SQLite is not available"; exit 1; }
echo "same outputs as the Linux build"

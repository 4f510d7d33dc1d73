#!/usr/bin/env bash
# velmor.exe under Wine on the example contest: status 1 (notes.log is left out) and every
# output byte for byte as the Linux build's expected files; --help offers no --sqlite (this
# build has none), and --sqlite given anyway says so and writes nothing.
# Usage: windows_example.sh WINE-RUN VELMOR.EXE SOURCE-DIR OUT-DIR
set -uo pipefail
run=$1 exe=$2 src=$3 out=$4
rm -rf "$out"
cd "$src" || exit 1
bash "$run" "$exe" crosscheck examples/crosscheck -o "Z:$out" --period 2026-05-16T12:00 2026-05-16T16:00
status=$?
[ "$status" = 1 ] || { echo "exit status $status, expected 1"; exit 1; }
diff -r "$out" tests/data/crosscheck/expected || exit 1
if bash "$run" "$exe" crosscheck --help | tr -d '\r' | grep -q -- "--sqlite"; then
  echo "--help offers --sqlite, which this build does not have"; exit 1
fi
sqlite=$(bash "$run" "$exe" crosscheck examples/crosscheck -o "Z:$out-sqlite" --sqlite "Z:$out-sqlite.db" 2>&1 | tr -d '\r')
echo "$sqlite" | grep -q "cannot write SQLite databases (the Linux build can)" \
  || { echo "--sqlite given to this build does not say that SQLite is not available: $sqlite"; exit 1; }
[ ! -e "$out-sqlite" ] || { echo "--sqlite given to this build wrote outputs"; exit 1; }
echo "same outputs as the Linux build"

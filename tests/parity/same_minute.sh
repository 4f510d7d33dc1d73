#!/usr/bin/env bash
# velmor check's time order on one build of velmor: a clean log with several QSOs in each of
# a few minutes (tests/data/velmor/same-minute.cbr) draws no "earlier than" warning and exits
# 0; the same log with one QSO a minute before the line above it draws exactly that warning,
# so the check is shown to run. On 32-bit x86 code that keeps a date in an 80-bit x87
# register, two equal dates could compare unequal and every QSO in the minute of the one
# before it was called earlier.
# Usage: same_minute.sh SOURCE_DIR WORK_DIR LAUNCHER PROGRAM
#   LAUNCHER  "-" to run PROGRAM itself, else a wrapper that runs it (scripts/run-i386.sh,
#             scripts/wine-run.sh; a program Wine cannot run here is skipped with the reason)
set -uo pipefail
src=$1 work=$2 launcher=$3 program=$4
run() {
  if [ "$launcher" = - ]; then "$program" "$@"; else "$launcher" "$program" "$@"; fi
}
if [ "$(basename "$launcher")" = wine-run.sh ]; then
  "$launcher" --can-run "$program" || exit 77
fi
rm -rf "$work"
mkdir -p "$work" || exit 1
cp "$src/tests/data/velmor/same-minute.cbr" "$work/same-minute.cbr" || exit 1
# The last QSO (UA4DDF, line 16) moved from 13:59 to 13:58: a minute before line 15's.
sed 's/ 1359 RZ3VLM        599 010 / 1358 RZ3VLM        599 010 /' "$work/same-minute.cbr" >"$work/early.cbr"
cmp -s "$work/same-minute.cbr" "$work/early.cbr" && { echo "FAIL: the early copy equals the log"; exit 1; }

cd "$work" || exit 1
failed=0
out=$(run check same-minute.cbr 2>&1); status=$?
out=${out//$'\r'/}
if [[ "$out" == *"earlier than"* ]]; then
  echo "FAIL: QSOs in the same minute called earlier:"; echo "$out"; failed=1
elif [ "$status" != 0 ] || [ -n "$out" ]; then
  echo "FAIL: the clean log gave status $status (expected 0) and:"; echo "$out"; failed=1
fi
out=$(run check early.cbr 2>&1); status=$?
out=${out//$'\r'/}
# Exactly one finding: line 16's warning that it is earlier than line 15.
if [ "$status" != 1 ] || [[ "$out" == *$'\n'* ]] || [[ "$out" != "early.cbr:16: warning: "*"earlier than line 15" ]]; then
  echo "FAIL: the QSO a minute early: status $status (expected 1) and:"; echo "$out"
  echo "expected one line: early.cbr:16: warning: ... earlier than line 15"; failed=1
fi
[ "$failed" = 0 ] && echo "same minute: QSOs logged in one minute are in order; the QSO a minute early is found"
exit "$failed"

#!/usr/bin/env bash
# The table of operator mistakes (velmor_mistakes_tests) run through a Windows velmor.exe
# under Wine: the same cases, statuses, messages and files left as for the Linux program.
# Usage: mistakes_under_wine.sh VELMOR_EXE TEST_PROGRAM
# Skipped (exit 77, with the reason) where velmor.exe cannot run here; a velmor.exe not built
# is a failure (scripts/build.sh builds both).
set -uo pipefail
exe=$1 tests=$2
top=$(cd "$(dirname "$0")/../.." && pwd)
source "$top/scripts/wine-env.sh"
if [ ! -f "$exe" ]; then
  echo "mistakes: $exe is not built (scripts/build.sh builds it)"
  exit 1
fi
if velmor_is_32bit_exe "$exe" && ! velmor_runs_32bit; then
  echo "mistakes: skipped: this machine cannot run 32-bit x86 code (no IA-32 emulation in the kernel), so Wine cannot start $exe"
  exit 77
fi
velmor_prefix || exit 1
# Console programs need no display; wine-run.sh only says so, once per run.
export VELMOR_UNDER_TEST="bash '$top/scripts/wine-run.sh' '$exe'"
exec "$tests"

#!/usr/bin/env bash
# Runs a 32-bit x86 Linux program (those of build/linux32): directly where the kernel runs
# 32-bit programs, else under qemu-i386 (Debian's qemu-user), which emulates the processor
# in user space and needs no kernel support. The build/linux32 tree's test emulator, so
# ctest starts every test program of that tree through it; the program's own children are
# ordinary host programs (a test that starts the 32-bit velmor starts it through this
# wrapper again).
# Usage: run-i386.sh PROGRAM [ARGS...]
source "$(dirname "${BASH_SOURCE[0]}")/ia32.sh"
if velmor_runs_32bit; then
  exec "$@"
fi
if ! command -v qemu-i386 >/dev/null 2>&1; then
  echo "run-i386: this machine cannot run 32-bit x86 code and qemu-i386 is missing (Debian's qemu-user: bash scripts/deps.sh installs it)" >&2
  exit 127
fi
exec qemu-i386 "$@"

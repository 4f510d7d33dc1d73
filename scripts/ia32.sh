# shellcheck shell=bash
# Sourced by the scripts that run 32-bit x86 code (wine-env.sh, run-i386.sh). Defines:
#   velmor_runs_32bit   whether this machine's kernel runs 32-bit x86 programs
#
# 32-bit x86 programs need the kernel's IA-32 emulation; some kernels (virtual machines,
# ia32_emulation=0) have none. Probed once by running a 96-byte 32-bit Linux program that
# exits with 42; the answer is kept in VELMOR_RUNS_32BIT (exported, so the wrappers that a
# test runner starts later reuse it). The probe is written under the checkout's build/
# folder: a temporary folder may be mounted without the right to run programs.
velmor_runs_32bit() {
  if [ -z "${VELMOR_RUNS_32BIT:-}" ]; then
    local dir probe
    dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build"
    mkdir -p "$dir" 2>/dev/null
    probe=$(mktemp "$dir/ia32-probe.XXXXXX" 2>/dev/null) || probe=$(mktemp)
    printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
    if [ $? = 42 ]; then VELMOR_RUNS_32BIT=yes; else VELMOR_RUNS_32BIT=no; fi
    rm -f "$probe"
    export VELMOR_RUNS_32BIT
  fi
  [ "$VELMOR_RUNS_32BIT" = yes ]
}

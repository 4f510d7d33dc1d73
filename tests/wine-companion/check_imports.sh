#!/usr/bin/env bash
# Checks that a shipped 32-bit program is a GUI program importing only system DLLs.
# Usage: check_imports.sh OBJDUMP PROGRAM.exe
set -u
objdump=$1 exe=$2
# The binutils translate their headings under a Russian locale; read them in C.
dump=$(LC_ALL=C LANG=C "$objdump" -p "$exe") || { echo "objdump failed on $exe"; exit 1; }
status=0
grep -q 'file format pei-i386' <<<"$dump" || { echo "not a 32-bit x86 program"; status=1; }
grep -Eq '^Subsystem[[:space:]]+0*2[[:space:]]' <<<"$dump" || { echo "not a GUI (WIN32) program"; status=1; }
dlls=$(sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' <<<"$dump" | tr -d '\r')
[ -n "$dlls" ] || { echo "no import table read"; exit 1; }
allowed='^(kernel32|user32|gdi32|ole32|oleaut32|msvcrt|advapi32|shell32|comctl32|comdlg32|rpcrt4|ws2_32)\.dll$'
while read -r dll; do
  if ! grep -Eqi "$allowed" <<<"$dll"; then
    echo "imports a non-system DLL: $dll"; status=1
  fi
done <<<"$dlls"
echo "imports:" $dlls
exit $status

#!/usr/bin/env bash
# Checks that velmor.exe is a console program of the tree's machine type importing only
# system DLLs (linked statically: no libstdc++, libgcc or winpthread DLLs beside it).
# Usage: check_imports.sh OBJDUMP velmor.exe pei-i386|pei-x86-64
set -u
objdump=$1 exe=$2 format=$3
# The binutils translate their headings under a Russian locale; read them in C.
dump=$(LC_ALL=C LANG=C "$objdump" -p "$exe") || { echo "objdump failed on $exe"; exit 1; }
status=0
grep -q "file format $format" <<<"$dump" || { echo "not $format"; status=1; }
grep -Eq '^Subsystem[[:space:]]+0*3[[:space:]]' <<<"$dump" || { echo "not a console (CUI) program"; status=1; }
dlls=$(sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' <<<"$dump" | tr -d '\r')
[ -n "$dlls" ] || { echo "no import table read"; exit 1; }
allowed='^(kernel32|user32|msvcrt|advapi32|shell32)\.dll$'
while read -r dll; do
  grep -Eqi "$allowed" <<<"$dll" || { echo "imports a non-system DLL: $dll"; status=1; }
done <<<"$dlls"
echo "imports:" $dlls
exit $status

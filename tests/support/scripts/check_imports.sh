#!/usr/bin/env bash
# Checks that a shipped Windows program is of the tree's machine type and subsystem and imports
# only system DLLs (linked statically: no libstdc++, libgcc or winpthread DLLs beside it).
# Usage: check_imports.sh OBJDUMP PROGRAM.exe pei-i386|pei-x86-64 gui|console
set -u
objdump=$1 exe=$2 format=$3 kind=$4
case "$kind" in
  gui) subsystem=2 ;;      # IMAGE_SUBSYSTEM_WINDOWS_GUI
  console) subsystem=3 ;;  # IMAGE_SUBSYSTEM_WINDOWS_CUI
  *) echo "kind must be gui or console"; exit 2 ;;
esac
# The binutils translate their headings under a Russian locale; read them in C.
dump=$(LC_ALL=C LANG=C "$objdump" -p "$exe") || { echo "objdump failed on $exe"; exit 1; }
status=0
grep -q "file format $format" <<<"$dump" || { echo "not $format"; status=1; }
grep -Eq "^Subsystem[[:space:]]+0*${subsystem}[[:space:]]" <<<"$dump" || { echo "not a $kind program"; status=1; }
dlls=$(sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' <<<"$dump" | tr -d '\r')
[ -n "$dlls" ] || { echo "no import table read"; exit 1; }
allowed='^(kernel32|user32|gdi32|ole32|oleaut32|msvcrt|advapi32|shell32|comctl32|comdlg32|rpcrt4|ws2_32)\.dll$'
while read -r dll; do
  grep -Eqi "$allowed" <<<"$dll" || { echo "imports a non-system DLL: $dll"; status=1; }
done <<<"$dlls"
echo "imports:" $dlls
exit $status

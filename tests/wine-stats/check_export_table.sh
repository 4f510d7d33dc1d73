#!/usr/bin/env bash
# Reads a built Stats.dll with objdump: its export table must hold exactly the names and
# ordinals of the module-definition file, its imports only system DLLs, and its machine
# type must be the expected one.
# Usage: check_export_table.sh OBJDUMP Stats.dll MACHINE(i386|x86-64) stats.def
set -uo pipefail
objdump=$1 dll=$2 machine=$3 def=$4
fail=0
# objdump translates its headings under a Russian locale: parse the C locale's output.
dump=$(LC_ALL=C "$objdump" -p "$dll") || { echo "objdump failed"; exit 1; }

base=$(sed -nE 's/^Ordinal Base\s+([0-9]+).*/\1/p' <<<"$dump")
[ "$base" = 1 ] || { echo "ordinal base '$base'"; fail=1; }
# "[   3] Name" lines of the name table: the bracketed number is the ordinal minus the base.
got=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" \
      | sed -nE 's/^\s*\[\s*([0-9]+)\]\s+(\S+).*/\1 \2/p' \
      | awk -v b="$base" '{print $1 + b, $2}' | sort -n)
want=$(grep -E '^\s+\S+.*@[0-9]+\s*$' "$def" | awk '{print substr($NF, 2), $1}' | sort -n)
if [ "$got" != "$want" ]; then
  echo "export table differs from $def (got / want):"; diff <(echo "$got") <(echo "$want"); fail=1
fi
n=$(wc -l <<<"$got")
[ "$n" = 20 ] || { echo "$n exported names, want 20"; fail=1; }

allowed='^(KERNEL32|USER32|msvcrt|ADVAPI32|GDI32|COMCTL32|OLEAUT32|ole32|SHELL32)\.dll$'
while read -r lib; do
  if ! grep -qiE "$allowed" <<<"$lib"; then echo "imports non-system DLL $lib"; fail=1; fi
done < <(sed -nE 's/^\s*DLL Name: (\S+)/\1/p' <<<"$dump")

arch=$(LC_ALL=C "$objdump" -f "$dll" | sed -nE 's/^architecture: ([^,]+),.*/\1/p')
case "$machine:$arch" in
  i386:i386|x86-64:i386:x86-64) ;;
  *) echo "architecture '$arch', want $machine"; fail=1 ;;
esac
[ $fail = 0 ] && echo "export table of $dll: ok ($arch)"
exit $fail

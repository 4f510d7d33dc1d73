#!/usr/bin/env bash
# Checks the two module-definition files and the stand-in host's table against the one list
# of Stats.dll's exports (plugin/exports/stats_exports.list).
# Usage: check_export_list.sh <list> <stats_x86.def> <stats_x64.def> <host_exports.h>
set -uo pipefail
list=$1 def32=$2 def64=$3 host=$4
fail=0

# The list as "name ordinal function" lines, 32-bit names.
want32=$(grep -vE '^\s*(#|$)' "$list" | awk '{print $1, $2, $3}')
# The 64-bit names: E (__ptr64) after every pointer code of a decorated name.
want64=$(sed -E '/^\?/ s/P([AB])/PE\1/g' <<<"$want32")

# A .def file's EXPORTS lines as "name ordinal function"; "name @N" exports name itself.
def_entries() {
  sed -n '/^EXPORTS/,$p' "$1" | grep -E '^\s+\S' | sed -E 's/^\s+//' |
    awk '{ if ($2 == "=") print $1, substr($4, 2), $3; else print $1, substr($2, 2), $1 }'
}

for pair in "$def32:$want32" "$def64:$want64"; do
  def=${pair%%:*}
  want=${pair#*:}
  got=$(def_entries "$def")
  if [ "$got" != "$want" ]; then
    echo "$def differs from $list:"; diff <(echo "$want") <(echo "$got"); fail=1
  fi
done

# The host's table: {"plain", ordinal, "decorated", ordinal}, decorated names written with
# macros for the pointer codes; expanded here to the 32-bit form.
qso_params=$(grep -E '^#define STATSHOST_QSO_PARAMS' -A1 "$host" | tail -1 |
             sed -E 's/^\s+//; s/STATSHOST_P/"P"/g; s/"\s*"//g; s/"//g')
host_rows=$(grep -E '^\s+\{"[A-Za-z0-9]+", [0-9]+, ' "$host" |
            sed -E "s/STATSHOST_QSO_PARAMS/\"$qso_params\"/g; s/STATSHOST_P/\"P\"/g; s/\"\s*\"//g" |
            sed -E 's/^\s+\{"([^"]+)", ([0-9]+), "([^"]+)", ([0-9]+)\},?/\1 \2 \3 \4/')
if [ -z "$host_rows" ]; then echo "$host: no table rows found"; fail=1; fi
# Each host row names a plain export and a decorated one of the same function.
while read -r plain pord decorated dord; do
  [ -n "$plain" ] || continue
  pf=$(awk -v n="$plain" -v o="$pord" '$1 == n && $2 == o {print $3}' <<<"$want32")
  df=$(awk -v n="$decorated" -v o="$dord" '$1 == n && $2 == o {print $3}' <<<"$want32")
  if [ -z "$pf" ]; then echo "$host: $plain @$pord is not in $list"; fail=1; fi
  if [ -z "$df" ]; then echo "$host: $decorated @$dord is not in $list"; fail=1; fi
  if [ -n "$pf" ] && [ -n "$df" ] && [ "$pf" != "$df" ]; then
    echo "$host: $plain and $decorated name different functions ($pf, $df)"; fail=1
  fi
done <<<"$host_rows"
rows=$(grep -c . <<<"$host_rows")
if [ "$rows" != "$(grep -c . <<<"$want32")" ] && [ "$((rows * 2))" != "$(grep -c . <<<"$want32")" ]; then
  echo "$host: $rows rows for $(grep -c . <<<"$want32") exports"; fail=1
fi

[ $fail = 0 ] && echo "export list: ok"
exit $fail

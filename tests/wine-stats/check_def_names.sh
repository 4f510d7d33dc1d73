#!/usr/bin/env bash
# Checks the module-definition files: every decorated name demangles (llvm-undname) to the
# declared signature, the 64-bit names are the 32-bit ones with __ptr64 pointers, the
# decorated names sit at ordinals 1-10 in strcmp order and the plain names at 11-20 in
# alphabetical order.
# Usage: check_def_names.sh stats_x86.def stats_x64.def expected-demangled.txt
set -uo pipefail
def32=$1 def64=$2 expected=$3
fail=0
undname=$(command -v llvm-undname || command -v llvm-undname-14) || { echo "llvm-undname missing"; exit 1; }

decorated() { grep -E '^\s+\?' "$1" | awk '{print $1}'; }
check_order() {  # def file
  local def=$1
  # decorated: name = internal @N, N = 1..10 in strcmp order
  local names ords
  names=$(grep -E '^\s+\?' "$def" | awk '{print $1}')
  ords=$(grep -E '^\s+\?' "$def" | awk '{print $NF}' | tr -d @ | tr '\n' ' ')
  if [ "$ords" != "1 2 3 4 5 6 7 8 9 10 " ]; then echo "$def: decorated ordinals are '$ords'"; fail=1; fi
  if [ "$names" != "$(LC_ALL=C sort <<<"$names")" ]; then echo "$def: decorated names not in strcmp order"; fail=1; fi
  local plain pords
  plain=$(grep -E '^\s+[A-Za-z]' "$def" | awk '{print $1}')
  pords=$(grep -E '^\s+[A-Za-z]' "$def" | awk '{print $NF}' | tr -d @ | tr '\n' ' ')
  if [ "$pords" != "11 12 13 14 15 16 17 18 19 20 " ]; then echo "$def: plain ordinals are '$pords'"; fail=1; fi
  if [ "$plain" != "$(LC_ALL=C sort <<<"$plain")" ]; then echo "$def: plain names not in alphabetical order"; fail=1; fi
}

for def in "$def32" "$def64"; do
  check_order "$def"
  got=$(decorated "$def" | "$undname" | grep -v '^\?' | grep -v '^$')
  if ! diff <(echo "$got") "$expected" >/dev/null; then
    echo "$def: demangled names differ from $expected:"; diff <(echo "$got") "$expected"; fail=1
  fi
done

# The 64-bit decoration differs only by the __ptr64 marker E after every pointer code.
want64=$(decorated "$def32" | sed -E 's/P([AB])/PE\1/g')
if [ "$want64" != "$(decorated "$def64")" ]; then
  echo "64-bit names are not the 32-bit names with __ptr64 pointers:"
  diff <(echo "$want64") <(decorated "$def64"); fail=1
fi
# Both files export the same functions under the same plain names.
if [ "$(grep -E '^\s+[A-Za-z]' "$def32")" != "$(grep -E '^\s+[A-Za-z]' "$def64")" ]; then
  echo "plain exports differ between the two files"; fail=1
fi
[ $fail = 0 ] && echo "def files: ok"
exit $fail

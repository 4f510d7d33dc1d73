#!/usr/bin/env bash
# The operator's zip: made twice from the binaries as built (identical bytes), then its file
# list, line ends, checksums, binaries and the guide's links checked by check_package.py.
# Usage: package_test.sh SOURCE_DIR WORK_DIR VERSION
set -euo pipefail
src=$1 work=$2 version=$3
rm -rf "$work"; mkdir -p "$work/one" "$work/two"
name="velmor-$version-win32.zip"
bash "$src/scripts/package.sh" --no-deps --no-build --out "$work/one" >/dev/null
sleep 1  # a different wall-clock second must not change the bytes
bash "$src/scripts/package.sh" --no-deps --no-build --out "$work/two" >/dev/null
if ! cmp "$work/one/$name" "$work/two/$name"; then
  echo "two package runs gave different zips"
  exit 1
fi
echo "two package runs gave identical zips ($(stat -c %s "$work/one/$name") bytes)"
python3 "$(dirname "$0")/check_package.py" "$work/one/$name" "$src" "$src/build/win32/bin"

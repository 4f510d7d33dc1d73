#!/usr/bin/env bash
# Builds the shipped 32-bit binaries (i686, Release) and writes the operator's download,
# dist/velmor-VERSION-win32.zip:
#
#   Plugins/Stats.dll        the plug-in            (into the logging program's Plugins folder)
#   Plugins/Orvin.exe        the companion panel    (beside it)
#   velmor.exe               the command-line tool
#   cabrillo.ini.example     extra Cabrillo header lines, to copy and edit
#   sample.adi               a sample contest log (ADIF) to try velmor on, as the guide does
#   operator-guide.html      the operator guide, with images/ beside it
#   operator-guide.md        the same guide as plain text
#   images/*.png             the guide's screenshots (those it shows)
#   LICENSE.txt              MIT licence
#   SHA256SUMS               checksums of every other file (sha256sum -c SHA256SUMS)
#
# Text files have CR LF line ends (the operators use Windows). The zip is reproducible: every
# entry carries the time of the commit being packaged (or SOURCE_DATE_EPOCH when set), the
# entries are stored in sorted order with fixed permissions and no extra attributes, so two
# runs from the same commit give the same bytes.
#
# Usage: package.sh [--no-deps] [--no-build] [--out DIR]
#   --no-deps    do not run deps.sh          --no-build   package build/win32/bin as it is
#   --out DIR    write the zip into DIR instead of dist/
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
deps=1 build=1 out="$top/dist"
while [ $# -gt 0 ]; do
  case "$1" in
    --no-deps) deps=0 ;;
    --no-build) build=0 ;;
    --out) out=$2; shift ;;
    *) echo "package: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
[ "$deps" = 0 ] || bash "$top/scripts/deps.sh"

tree="$top/build/win32"
if [ "$build" = 1 ]; then
  mkdir -p "$top/build"
  cmake -S "$top" -B "$tree" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-i686-w64-mingw32.cmake" >"$tree.configure.log" 2>&1 \
    || { cat "$tree.configure.log"; exit 1; }
  targets=$(cmake --build "$tree" --target help 2>/dev/null || true)
  if ! grep -qE '(^|[ .])velmor$' <<<"$targets"; then
    echo "package: the build has no velmor target (velmor.exe); it is part of every release" >&2
    exit 1
  fi
  echo "package: building Stats.dll, Orvin.exe and velmor.exe (i686, Release)"
  cmake --build "$tree" -j "$(nproc)" --target stats_dll Orvin velmor >"$tree.package-build.log" 2>&1 \
    || { cat "$tree.package-build.log"; exit 1; }
fi

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$tree/CMakeCache.txt")
[ -n "$version" ] || { echo "package: no project version in $tree/CMakeCache.txt" >&2; exit 1; }
for f in Stats.dll Orvin.exe velmor.exe; do
  [ -f "$tree/bin/$f" ] || { echo "package: $tree/bin/$f is missing" >&2; exit 1; }
done

# The time every entry carries: the commit's, so that the same commit gives the same zip.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$top" log -1 --format=%ct 2>/dev/null || echo 1767225600)
fi

name="velmor-$version-win32"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
pkg="$stage/pkg"
mkdir -p "$pkg/Plugins" "$pkg/images"

cp "$tree/bin/Stats.dll" "$tree/bin/Orvin.exe" "$pkg/Plugins/"
cp "$tree/bin/velmor.exe" "$pkg/"
# The pictures the guide shows (docs/images holds other documents' pictures too).
grep -oE '\]\(images/[^)[:space:]]+\)' "$top/docs/operator-guide.md" | sed -E 's/^\]\(images\/|\)$//g' \
  | sort -u | while read -r image; do cp "$top/docs/images/$image" "$pkg/images/"; done

# Text for Windows users: LF in the repository, CR LF in the package.
crlf() { sed -e 's/\r$//' -e 's/$/\r/' "$1" > "$2"; }
crlf "$top/examples/cabrillo.ini.example" "$pkg/cabrillo.ini.example"
crlf "$top/examples/sample.adi" "$pkg/sample.adi"
crlf "$top/LICENSE" "$pkg/LICENSE.txt"
crlf "$top/docs/operator-guide.md" "$pkg/operator-guide.md"
# The guide's HTML: one page with its style inside and the pictures beside it in images/.
(cd "$top/docs" && pandoc --from=gfm --to=html5 --standalone \
   --metadata pagetitle="Velmor $version: operator guide" --metadata lang=en \
   --toc --toc-depth=3 -o "$stage/operator-guide.html" operator-guide.md)
crlf "$stage/operator-guide.html" "$pkg/operator-guide.html"

(cd "$pkg" && LC_ALL=C find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort \
   | xargs -d '\n' sha256sum | sed 's/$/\r/' > SHA256SUMS)

# Fixed permissions and times, sorted entries, no extra fields: the same bytes every run.
find "$pkg" -type d -exec chmod 755 {} +
find "$pkg" -type f -exec chmod 644 {} +
find "$pkg" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
mkdir -p "$out"
rm -f "$out/$name.zip"
(cd "$pkg" && LC_ALL=C find . -type f | sed 's|^\./||' | LC_ALL=C sort \
   | TZ=UTC zip -X -D -q -9 "$stage/$name.zip" -@)
mv "$stage/$name.zip" "$out/$name.zip"
echo "package: $out/$name.zip"

#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian 12 machine (run as root).
# Idempotent: packages already present are skipped quickly; the 32-bit Wine DLLs are
# unpacked once into build/wine/i386.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  cmake make g++ git python3 file
  pandoc zip
  libgtest-dev googletest libbenchmark-dev valgrind
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  llvm-14
  wine64 xvfb xdotool x11-apps netpbm fonts-wine locales openbox
  libcli11-dev libsqlite3-dev chromium
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi
if [ ${#missing[@]} -gt 0 ] || [ -n "${need_update:-}" ]; then
  echo "deps: installing ${missing[*]:-(package lists only)}"
  # The security suite's i386 index may be stale behind the mirror; main's index is enough.
  apt-get update -q || true
  if [ ${#missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
fi

# Wine takes its ANSI code page from the locale: ru_RU gives 1251, as on the users' Windows.
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf8$'; then
  localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
fi

# The 32-bit Windows-side DLLs of the installed Wine, for wine64's WoW64 mode (console only).
dest="$top/build/wine/i386"
if [ ! -d "$dest/usr/lib/i386-linux-gnu/wine" ]; then
  v=$(dpkg-query -W -f='${Version}' libwine:amd64)
  tmp=$(mktemp -d)
  if ! (cd "$tmp" && apt-get download -q "libwine:i386=$v" >/dev/null); then
    apt-get update -q || true
    (cd "$tmp" && apt-get download -q "libwine:i386=$v" >/dev/null)
  fi
  mkdir -p "$dest"
  dpkg-deb -x "$tmp"/libwine_*_i386.deb "$dest"
  rm -rf "$tmp"
fi
echo "deps: ready"

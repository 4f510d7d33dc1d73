#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian 12 machine (run as root).
# Idempotent: when everything is present it only checks and says "deps: ready", as any
# user. The 32-bit Wine DLLs are unpacked once into a cache outside build/ (see
# wine-env.sh), so that removing build/ does not fetch them again.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/wine-env.sh"   # VELMOR_WINE_I386: where the 32-bit DLLs are kept

packages=(
  cmake make g++                                         # the native build
  libgtest-dev googletest                                # unit tests; googletest's sources for the mingw trees
  libbenchmark-dev python3                               # scripts/bench.sh
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  llvm-14                                                # llvm-undname: checks the decorated export names
  wine64 fonts-wine locales                              # running the Windows binaries (code page 1251)
  xvfb xdotool x11-apps netpbm                           # the tests' X display and screenshots
  libcli11-dev                                           # velmor's command line (header-only)
  libsqlite3-dev                                         # velmor crosscheck --sqlite
  chromium                                               # the results page tested in a real browser
  clang libfuzzer-14-dev libclang-rt-14-dev             # the sanitizer tree and the fuzz targets (libFuzzer)
  pandoc zip                                             # the release: the guide's HTML and the zip
  g++-multilib qemu-user                                 # build/linux32: 32-bit x86 Linux build, run by qemu-i386 where the kernel runs no 32-bit code
  libcpp-httplib-dev pkg-config                          # velmor robot's web server (found through pkg-config)
  libssl-dev                                             # velmor robot: SHA-256 of each upload (libcrypto)
)
# The robot's browser test drives Chromium with puppeteer-core from npm: Node.js and npm from
# Debian, unless a Node.js with its own npm is installed already.
command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)

is_root() { [ "$(id -u)" = 0 ]; }
need_root() {  # what for
  is_root && return 0
  echo "deps: not running as root, so cannot $1." >&2
  echo "deps: run 'bash scripts/deps.sh' as root once (e.g. with sudo), then try again." >&2
  exit 1
}

# apt-get update, tried a few times. The mirror's security suite sometimes serves a stale
# i386 index (its multiarch versions then do not match), which makes apt-get update fail
# although every index we need arrived. So after the last try the failure is accepted
# only when every package in "$@" has a version to install; otherwise it is fatal and
# apt's own reason is shown.
apt_update() {  # packages that must be installable afterwards...
  local log attempt
  log=$(mktemp)
  for attempt in 1 2 3; do
    if apt-get -o DPkg::Lock::Timeout=600 update -q >"$log" 2>&1; then rm -f "$log"; return 0; fi
    echo "deps: apt-get update failed (try $attempt of 3)" >&2
    [ "$attempt" = 3 ] || sleep $((attempt * 5))
  done
  local p unavailable=()
  for p in "$@"; do
    apt-cache policy "$p" 2>/dev/null | grep -q 'Candidate: [^(]' || unavailable+=("$p")
  done
  if [ ${#unavailable[@]} -eq 0 ]; then
    echo "deps: apt-get update reported errors, but every package needed is available; going on:" >&2
    grep -E '^(E|W|Err):' "$log" >&2 || true
    rm -f "$log"
    return 0
  fi
  echo "deps: apt-get update failed and these packages cannot be installed: ${unavailable[*]}" >&2
  cat "$log" >&2
  rm -f "$log"
  exit 1
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  need_root "install ${missing[*]}"
  echo "deps: installing ${missing[*]}"
  apt_update "${missing[@]}"
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -q \
    --no-install-recommends "${missing[@]}"
fi

# Wine takes its ANSI code page from the locale: ru_RU gives 1251, as on the users' Windows.
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf8$'; then
  need_root "make the ru_RU.UTF-8 locale"
  localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
fi

# The 32-bit Windows-side DLLs of the installed Wine, for wine64's WoW64 mode (console
# programs only). Unpacked from libwine:i386 without installing it; the version must be
# the installed Wine's, so a Wine upgrade unpacks them again.
version=$(dpkg-query -W -f='${Version}' libwine:amd64)
if [ "$(cat "$VELMOR_WINE_I386/.version" 2>/dev/null)" != "$version" ]; then
  echo "deps: unpacking the 32-bit Wine DLLs ($version) into $VELMOR_WINE_I386"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    need_root "enable the i386 architecture (for libwine:i386)"
    dpkg --add-architecture i386
    apt_update "libwine:i386"
  fi
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' EXIT
  if ! (cd "$tmp" && apt-get download -q "libwine:i386=$version" >/dev/null 2>&1); then
    need_root "refresh the package lists (libwine:i386 $version was not found)"
    apt_update "libwine:i386"
    (cd "$tmp" && apt-get download -q "libwine:i386=$version" >/dev/null) \
      || { echo "deps: cannot download libwine:i386 $version" >&2; exit 1; }
  fi
  rm -rf "$VELMOR_WINE_I386.new"
  mkdir -p "$VELMOR_WINE_I386.new"
  dpkg-deb -x "$tmp"/libwine_*_i386.deb "$VELMOR_WINE_I386.new"
  echo "$version" > "$VELMOR_WINE_I386.new/.version"
  rm -rf "$VELMOR_WINE_I386"
  mv "$VELMOR_WINE_I386.new" "$VELMOR_WINE_I386"
fi
# Debian's 32-bit Wine (wine32:i386), as Debian's own Wine instructions install it, where
# this machine runs 32-bit x86 code: with it the shipped 32-bit programs open their windows
# in the tests (WoW64 mode with the unpacked DLLs above runs console programs only). It can
# fail behind a mirror whose i386 indexes lag behind the amd64 ones (wine32 needs the same
# version of every Multi-Arch library on both sides). Then the window tests of the 32-bit
# programs are skipped with the reason, which is kept in $VELMOR_WINE32_NOTE
# ("VERSION<tab>TIME<tab>REASON"); the next try is a day later, or at once with
# VELMOR_RETRY_WINE32=1. Nothing here stops the run: wine32 is tried, never required.
wine32_failed() {  # reason
  local reason=${1%.}
  echo "deps: $reason; the 32-bit tests that open windows will be skipped" >&2
  mkdir -p "$(dirname "$VELMOR_WINE32_NOTE")"
  printf '%s\t%s\t%s\n' "$version" "$(date -u +%Y-%m-%dT%H:%M)" "$reason" >"$VELMOR_WINE32_NOTE"
}
apt_last_error() {  # log file: apt's last error line, or its last line
  local line
  line=$(grep -E '^(E|Err):' "$1" | tail -n 1)
  [ -n "$line" ] || line=$(tail -n 1 "$1")
  printf '%s' "$line" | tr -s '\t' ' ' | cut -c 1-300
}
install_wine32() {
  local log wanted=("wine32:i386=$version" "libwine:i386=$version")
  log=$(mktemp)
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  echo "deps: installing Debian's 32-bit Wine (wine32:i386 $version)"
  # A failed update is tolerated (the security suite's i386 index may be stale): what
  # counts is whether the packages can be installed, which the dry run below tells.
  apt-get -o DPkg::Lock::Timeout=600 update -q >"$log" 2>&1 \
    || echo "deps: apt-get update reported errors; trying wine32:i386 all the same" >&2
  # A dry run first: nothing is touched unless every package resolves and none would be
  # removed to make room for it.
  if ! apt-get -o DPkg::Lock::Timeout=600 install -s -q --no-install-recommends "${wanted[@]}" >"$log" 2>&1; then
    wine32_failed "32-bit Wine (wine32:i386 $version) cannot be installed here: $(apt_last_error "$log")"
    rm -f "$log"; return 1
  fi
  if grep -q '^Remv ' "$log"; then
    wine32_failed "32-bit Wine (wine32:i386 $version) would remove packages: $(grep '^Remv ' "$log" | cut -d' ' -f2 | paste -sd ' ')"
    rm -f "$log"; return 1
  fi
  if ! DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -q \
         --no-install-recommends "${wanted[@]}" >"$log" 2>&1; then
    wine32_failed "32-bit Wine (wine32:i386 $version) failed to install: $(apt_last_error "$log")"
    # Leave dpkg consistent for the next apt-get, whatever was unpacked.
    dpkg --configure -a >/dev/null 2>&1 || true
    rm -f "$log"; return 1
  fi
  rm -f "$log"
  VELMOR_HAS_WINE32=
  if ! velmor_has_wine32; then
    wine32_failed "32-bit Wine (wine32:i386 $version) was installed, but $VELMOR_WINE32 --version does not answer"
    return 1
  fi
  rm -f "$VELMOR_WINE32_NOTE"
  echo "deps: 32-bit Wine installed"
}
if velmor_runs_32bit && ! velmor_has_wine32; then
  if ! is_root; then
    echo "deps: Debian's 32-bit Wine (wine32:i386) is not installed and installing it needs root;" \
         "the 32-bit tests that open windows will be skipped (bash scripts/deps.sh as root installs it)" >&2
  elif [ "${VELMOR_RETRY_WINE32:-0}" != 1 ] && [ -n "$(find "$VELMOR_WINE32_NOTE" -mmin -1440 2>/dev/null)" ] &&
       [ "$(cut -f 1 "$VELMOR_WINE32_NOTE")" = "$version" ]; then
    echo "deps: 32-bit Wine not tried again today ($(cut -f 3- "$VELMOR_WINE32_NOTE")); VELMOR_RETRY_WINE32=1 tries now" >&2
  else
    install_wine32 || true
  fi
fi
echo "deps: ready"

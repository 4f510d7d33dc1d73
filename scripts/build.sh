#!/usr/bin/env bash
# Builds everything: the native tree (core, unit tests, benchmarks), the two Windows
# trees (i686: the shipped Stats.dll, Orvin.exe and velmor.exe; x86_64: the same sources for
# the GUI tests) and build/linux32 (the core, velmor and their tests as 32-bit x86 Linux
# code, with the same floating-point code as the shipped programs).
# Usage: build.sh [--no-deps]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
[ "${1:-}" = "--no-deps" ] || bash "$top/scripts/deps.sh"

jobs=$(nproc)
configure_and_build() {  # dir, extra cmake args...
  local dir=$1; shift
  cmake -S "$top" -B "$top/build/$dir" -DCMAKE_BUILD_TYPE=Release "$@" >"$top/build/$dir.configure.log" 2>&1 \
    || { cat "$top/build/$dir.configure.log"; return 1; }
  echo "build: $dir"
  # The filter's own status must not count (it fails when it lets no line through); under
  # pipefail the pipeline then fails exactly when the build does.
  cmake --build "$top/build/$dir" -j "$jobs" 2>&1 \
    | { grep -v -E '^\[ *[0-9]+%\]|^(gmake|make)\[[0-9]+\]: (Entering|Leaving)' || true; }
}
mkdir -p "$top/build"
configure_and_build native
configure_and_build win32 -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-i686-w64-mingw32.cmake"
configure_and_build win64 -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-x86_64-w64-mingw32.cmake"
configure_and_build linux32 -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-i686-linux-gnu.cmake"
echo "build: done (shipped binaries in build/win32/bin)"

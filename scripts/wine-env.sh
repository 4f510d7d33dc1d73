#!/usr/bin/env bash
# Sourced by the Wine wrappers: one Wine prefix and one Xvfb display per checkout, made on
# first use. Sets WINEPREFIX, DISPLAY, WINEDLLPATH (32-bit DLLs for WoW64) and WINEDEBUG.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export VELMOR_TOP="$top"
export WINEPREFIX="${VELMOR_WINEPREFIX:-$top/build/wine/prefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEDLLPATH="$top/build/wine/i386/usr/lib/i386-linux-gnu/wine"
export VELMOR_WINE=/usr/lib/wine/wine64
export VELMOR_WINESERVER=/usr/lib/wine/wineserver
export DISPLAY="${VELMOR_DISPLAY:-:87}"

velmor_xvfb() {
  local n=${DISPLAY#:}; n=${n%%.*}
  if [ ! -S "/tmp/.X11-unix/X$n" ]; then
    setsid nohup Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 < /dev/null &
    for _ in $(seq 1 100); do [ -S "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
  fi
}

velmor_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.velmor-ready" ]; then
      timeout 180 "$VELMOR_WINE" wineboot -i >/dev/null 2>&1 || true
      # Without a window manager every hide costs seconds unless Wine manages no windows.
      timeout 60 "$VELMOR_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
      # The stand-in host's automation object: HKCU\Software\Classes is not merged into HKCR.
      timeout 60 "$VELMOR_WINE" reg add 'HKCR\Kova2.Application\CLSID' /ve /d '{6A3C2B9E-4F1D-4C7A-9E2B-5D8F0A1C3E47}' /f >/dev/null 2>&1 || true
      mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
      cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
      timeout 60 "$VELMOR_WINESERVER" -w || true
      touch "$WINEPREFIX/.velmor-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
}

# Starts the prefix's background services (services.exe, rpcss, ...) with their output
# going nowhere. Started lazily by a test instead, they would inherit that test's output
# pipe and, under a persistent wineserver, keep it open: the test runner would wait for
# them until its time limit.
velmor_warm() {
  timeout 60 "$VELMOR_WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

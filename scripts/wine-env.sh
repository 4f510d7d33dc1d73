#!/usr/bin/env bash
# Sourced by the scripts that run Wine. Sets WINEPREFIX (one prefix per checkout, made on
# first use), WINEDLLPATH (the 32-bit DLLs for WoW64), WINEDEBUG and DISPLAY, and defines:
#   velmor_display_start  starts an Xvfb for a test run: on VELMOR_DISPLAY when given (a
#                         server already answering there is used as it is), otherwise on a
#                         free display number; exports VELMOR_DISPLAY and DISPLAY, so that
#                         every wine-run.sh started below (by ctest, per test) uses it
#   velmor_display_stop   stops the Xvfb that velmor_display_start started, by its process id
#   velmor_prefix         makes the Wine prefix when it is not ready
#   velmor_warm           starts the prefix's background services with no output attached
#   velmor_runs_32bit     whether this machine can run 32-bit x86 code (Wine's WoW64 needs it;
#                         defined in ia32.sh)
#   velmor_has_wine32     whether Debian's 32-bit Wine (wine32:i386) is installed and starts
#   velmor_no_wine32_why  why it is not (what deps.sh recorded), for the skip messages
#   velmor_is_32bit_exe   whether a Windows program is a 32-bit x86 one
#   velmor_32bit_note     which 32-bit Windows tests are skipped here and why (one line)
# DISPLAY comes from VELMOR_DISPLAY alone: a desktop's own DISPLAY is never used, so test
# windows do not appear on it.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$top/scripts/ia32.sh"
export VELMOR_TOP="$top"
export WINEPREFIX="${VELMOR_WINEPREFIX:-$top/build/wine/prefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# Kept outside build/ (deps.sh unpacks them), so that a clean build does not fetch them again.
export VELMOR_WINE_I386="${VELMOR_WINE_I386:-${XDG_CACHE_HOME:-$HOME/.cache}/velmor/wine-i386}"
export WINEDLLPATH="$VELMOR_WINE_I386/usr/lib/i386-linux-gnu/wine"
export VELMOR_WINE=/usr/lib/wine/wine64
export VELMOR_WINESERVER=/usr/lib/wine/wineserver
# Debian's 32-bit Wine loader (package wine32:i386), installed by deps.sh where the machine
# runs 32-bit code; and the note deps.sh leaves when it could not install it.
export VELMOR_WINE32=/usr/lib/wine/wine
export VELMOR_WINE32_NOTE="${VELMOR_WINE32_NOTE:-$(dirname "$VELMOR_WINE_I386")/wine32-not-installed}"
if [ -n "${VELMOR_DISPLAY:-}" ]; then export DISPLAY="$VELMOR_DISPLAY"; else unset DISPLAY; fi

# True when an X server answers on display $1 (":N"). A socket or lock file left behind
# by a server that died is not enough.
velmor_display_answers() {
  DISPLAY="$1" timeout 10 xdotool getdisplaygeometry >/dev/null 2>&1
}

velmor_display_start() {
  VELMOR_XVFB_PID=
  if [ -n "${VELMOR_DISPLAY:-}" ] && velmor_display_answers "$VELMOR_DISPLAY"; then
    export DISPLAY="$VELMOR_DISPLAY"
    return 0
  fi
  local fifo number=
  fifo=$(mktemp -u "${TMPDIR:-/tmp}/velmor-xvfb.XXXXXX")
  mkfifo "$fifo" || return 1
  # With -displayfd Xvfb writes its display number once it accepts connections; without
  # a display given it takes a free number itself, so two runs never race for one. A
  # stale lock file of a dead server is removed by Xvfb.
  local args=(-displayfd 3 -screen 0 1280x1024x24 -nolisten tcp)
  [ -n "${VELMOR_DISPLAY:-}" ] && args=("$VELMOR_DISPLAY" "${args[@]}")
  Xvfb "${args[@]}" 3>"$fifo" </dev/null >/dev/null 2>"$fifo.log" &
  VELMOR_XVFB_PID=$!
  read -r -t 30 number <"$fifo" || true
  rm -f "$fifo"
  if [ -z "$number" ] || ! kill -0 "$VELMOR_XVFB_PID" 2>/dev/null; then
    echo "wine-env: Xvfb did not start${VELMOR_DISPLAY:+ on $VELMOR_DISPLAY}:" >&2
    cat "$fifo.log" >&2; rm -f "$fifo.log"
    velmor_display_stop
    return 1
  fi
  rm -f "$fifo.log"
  export VELMOR_DISPLAY=":$number" DISPLAY=":$number"
}

velmor_display_stop() {
  if [ -n "${VELMOR_XVFB_PID:-}" ]; then
    kill "$VELMOR_XVFB_PID" 2>/dev/null
    wait "$VELMOR_XVFB_PID" 2>/dev/null
    VELMOR_XVFB_PID=
  fi
  return 0
}

# The prefix is marked ready only after every step succeeded; a prefix of ours (under
# build/) without the mark is removed and made afresh, so a failed boot is not kept.
velmor_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    [ -f "$WINEPREFIX/.velmor-ready" ] && exit 0
    if [ -z "${VELMOR_WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
      timeout 30 "$VELMOR_WINESERVER" -k 2>/dev/null
      rm -rf "$WINEPREFIX"
    fi
    step() {  # what, command...
      local what=$1; shift
      "$@" >/dev/null 2>&1 || { echo "wine-env: making the Wine prefix failed: $what" >&2; exit 1; }
    }
    step "wineboot" timeout 180 "$VELMOR_WINE" wineboot -i
    # Without a window manager every hide costs seconds unless Wine manages no windows.
    step "X11 driver setting" timeout 60 "$VELMOR_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
    # The stand-in host's automation object: HKCU\Software\Classes is not merged into HKCR.
    step "automation class" timeout 60 "$VELMOR_WINE" reg add 'HKCR\Kova2.Application\CLSID' /ve /d '{6A3C2B9E-4F1D-4C7A-9E2B-5D8F0A1C3E47}' /f
    # Debian's wine64 does not read fonts-wine by itself: caption buttons need its fonts.
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    step "fonts" cp -f /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    # The registry reaches the disk when the prefix's wineserver ends.
    step "wineserver" timeout 60 "$VELMOR_WINESERVER" -w
    touch "$WINEPREFIX/.velmor-ready"
  ) 9>"$WINEPREFIX.lock"
}

# Starts the prefix's background services (services.exe, rpcss, ...) with their output
# going nowhere. Started lazily by a test instead, they would inherit that test's output
# pipe and, under a persistent wineserver, keep it open: the test runner would wait for
# them until its time limit.
velmor_warm() {
  timeout 60 "$VELMOR_WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# With Debian's 32-bit Wine installed, Wine runs 32-bit programs with its 32-bit loader,
# which shows windows. Without it, wine64 runs them in its WoW64 mode with the unpacked
# 32-bit DLLs (console programs only: no display driver loads there). Both need a machine
# that runs 32-bit x86 code (velmor_runs_32bit). Checked once; kept in VELMOR_HAS_WINE32.
velmor_has_wine32() {
  if [ -z "${VELMOR_HAS_WINE32:-}" ]; then
    VELMOR_HAS_WINE32=no
    if velmor_runs_32bit && [ -x "$VELMOR_WINE32" ] &&
       timeout 30 "$VELMOR_WINE32" --version 2>/dev/null | grep -q '^wine-'; then
      VELMOR_HAS_WINE32=yes
    fi
    export VELMOR_HAS_WINE32
  fi
  [ "$VELMOR_HAS_WINE32" = yes ]
}

# One line: why 32-bit Wine is missing (deps.sh's note, or that it was not tried).
velmor_no_wine32_why() {
  if [ -s "$VELMOR_WINE32_NOTE" ]; then
    cut -f 3- "$VELMOR_WINE32_NOTE" | head -n 1
  else
    echo "Debian's 32-bit Wine (wine32:i386) is not installed; bash scripts/deps.sh as root installs it"
  fi
}

# True when $1 is a PE file for 32-bit x86 (machine 0x014C in the PE header).
velmor_is_32bit_exe() {
  local offset machine
  offset=$(od -An -tu4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$offset" ] || return 1
  machine=$(od -An -tx2 -j $((offset + 4)) -N 2 "$1" 2>/dev/null | tr -d ' ')
  [ "$machine" = 014c ]
}

# One line saying which 32-bit Windows tests are skipped here and why; nothing (and status
# 1) where all of them run.
velmor_32bit_note() {
  if ! velmor_runs_32bit; then
    echo "this machine cannot run 32-bit x86 code: the 32-bit Windows tests are skipped"
  elif ! velmor_has_wine32; then
    echo "$(velmor_no_wine32_why): the 32-bit tests that open windows are skipped (32-bit console programs run in Wine's WoW64 mode)"
  else
    return 1
  fi
}

# Everything a run of Windows tests needs, and its end (test.sh, with-wine.sh, demo.sh).
velmor_wine_up() {
  local note
  # Probed here, in this shell, so that the answers are exported to every wrapper below.
  if velmor_runs_32bit; then velmor_has_wine32 || true; fi
  if note=$(velmor_32bit_note); then echo "wine-env: $note" >&2; fi
  velmor_display_start || return 1
  velmor_prefix || { velmor_display_stop; return 1; }
  "$VELMOR_WINESERVER" -p   # one wineserver for the whole run
  velmor_warm
}
velmor_wine_down() {
  timeout 30 "$VELMOR_WINESERVER" -k 2>/dev/null
  velmor_display_stop
}

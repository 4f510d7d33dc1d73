#!/usr/bin/env bash
# The main job: builds everything, then runs the stand-in host with the real Stats.dll on
# the bundled sample log under Wine, printing what the plug-in answers. Output in out/.
#
# The shipped (i686) Stats.dll runs in the 32-bit stand-in host through wine64's WoW64
# mode (console only), with out/ as the host's current directory: err.txt, Plugins\VARDO.ini
# and any Cabrillo file land there.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
[ "${VELMOR_DEMO_NO_BUILD:-0}" = 1 ] || bash "$top/scripts/build.sh"
source "$top/scripts/wine-env.sh"
bin="${VELMOR_DEMO_BIN:-$top/build/win32/bin}"
part1="The shipped 32-bit Stats.dll on the sample log"
if [ -z "${VELMOR_DEMO_BIN:-}" ] && ! velmor_runs_32bit; then
  # Wine runs 32-bit programs as 32-bit x86 code, which some machines cannot run at all:
  # there the same sources built for x86_64 play this part.
  bin="$top/build/win64/bin"
  part1="Stats.dll on the sample log (x86_64 build: this machine cannot run 32-bit x86 code)"
fi
out="$top/out"
rm -rf "$out"; mkdir -p "$out/Plugins"
cp "$bin/Stats.dll" "$out/Plugins/Stats.dll"
cp "$bin/stats-host.exe" "$top/examples/sample.adi" "$out/"

# One script line per call into the plug-in (see tools/stats-host/main.cpp for the language).
cat > "$out/session.txt" <<'SCRIPT'
sets
setname 0
reset 0 RZ3VLM
adif sample.adi
# A QSO logged now blocks the same station on that band and mode until the UTC hour ends.
add own=RZ3VLM call=UA3QWE date=now freq=14020500 mode=CW rsts=599 rstr=599 exs=042 exr=117 band=20M
check UA3QWE CW 20M
check UA3QWE SSB 20M
valid 599
valid 001
valid WM
valid wm
remove RA3DKM CW 20M
result
cat err.txt
SCRIPT

# The Cabrillo log. The station-details dialog is a window, which 32-bit programs cannot
# show under this Wine, so this part runs the same sources built for x86_64 (with Xvfb),
# the dialog answered from the script as an operator would fill it in.
bin64="${VELMOR_DEMO_BIN64:-$top/build/win64/bin}"
mkdir -p "$out/x64"
cp "$bin64/Stats.dll" "$bin64/stats-host.exe" "$out/x64/"
cat > "$out/cabrillo.txt" <<'SCRIPT'
ui "dump; pick 1013=A1; set 1000=MA01; set 1007=Sergei Orlov; set 1002=ul. Lesnaya 5\\r\\nMoscow 125040; set 1005=Velmor DX Club; set 1001=Nice contest\\r\\n73 to all; set 1004=rz3vlm@example.org; ok"
reset 1 RZ3VLM
adif sample.adi
result
cat RZ3VLM.cbr
SCRIPT

cd "$out"
velmor_wine_up
trap 'velmor_wine_down' EXIT
status=0
echo "== $part1"
"$top/scripts/wine-run.sh" ./stats-host.exe 'Plugins\Stats.dll' -f session.txt | grep -v '^cdecl: ' || status=$?
echo
echo "== A contest session with Cabrillo output (station details confirmed in the dialog)"
"$top/scripts/wine-run.sh" x64/stats-host.exe 'x64\Stats.dll' -f cabrillo.txt || status=$?
echo
# velmor check reads the file as a contest robot would: the plug-in's own file draws
# warnings only (status 1); errors (status 2) fail the demo.
echo "== velmor check on the Cabrillo file the plug-in wrote"
check_status=0
"${VELMOR_DEMO_VELMOR:-$top/build/native/velmor/app/velmor}" check RZ3VLM.cbr || check_status=$?
echo "velmor check: status $check_status"
[ "$check_status" -le 1 ] || status=$check_status
echo
echo "demo: results in $out (err.txt, RZ3VLM.cbr, Plugins/VARDO.ini)"
echo
echo "== The operator's download"
bash "$top/scripts/package.sh" --no-deps || status=$?
exit "$status"

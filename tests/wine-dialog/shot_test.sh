#!/usr/bin/env bash
# Takes a screenshot of the open station-details dialog shown by the real Stats.dll, for people to look at.
#
# Usage: shot_test.sh BIN_DIR ARTIFACT_DIR
# The host runs in the background; the UI driver's handshake step holds the dialog open
# (creating shot.ready) until this script has taken the picture and created shot.done.
# Saves ARTIFACT_DIR/station-dialog.png (the dialog window) and station-dialog-screen.png.
set -uo pipefail
bin=$1 artifacts=$2
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$top/scripts/wine-env.sh"   # the DISPLAY the Wine wrapper uses

work=$(mktemp -d "${TMPDIR:-/tmp}/velmor-dialog-shot.XXXXXX")
host_pid=
cleanup() {
    [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/Plugins" "$artifacts"
cp "$bin/Stats.dll" "$work/Plugins/"
printf '%s\n' 'ui "handshake shot; dump; ok"' 'reset 1 UA9XYZ' > "$work/session.script"

log="$artifacts/dialog-shot.log"
(cd "$work" && exec "$top/scripts/wine-run.sh" "$bin/stats-host.exe" 'Plugins\Stats.dll' -f session.script) \
    > "$log" 2>&1 &
host_pid=$!

# Waiting for the dialog, not timing it: the limit only stops a run that went wrong.
for _ in $(seq 1 1200); do
    [ -f "$work/shot.ready" ] && break
    kill -0 "$host_pid" 2>/dev/null || break
    sleep 0.1
done
if [ ! -f "$work/shot.ready" ]; then
    echo "the dialog did not open"
    cat "$log"
    exit 1
fi

xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng > "$artifacts/station-dialog-screen.png"
window=$(xdotool search --onlyvisible --classname 'stats-host' 2>/dev/null | head -n 1)
if [ -n "$window" ]; then
    xwd -id "$window" -silent | xwdtopnm 2>/dev/null | pnmtopng > "$artifacts/station-dialog.png"
else
    cp "$artifacts/station-dialog-screen.png" "$artifacts/station-dialog.png"
fi
touch "$work/shot.done"
wait "$host_pid"
status=$?
host_pid=

failed=0
size=$(pngtopnm "$artifacts/station-dialog.png" 2>/dev/null | pnmfile 2>/dev/null)
read -r width height < <(sed -E 's/.* ([0-9]+) by ([0-9]+).*/\1 \2/' <<<"$size")
# 255 by 250 dialog units are several hundred pixels each way in any font.
if [ -z "${width:-}" ] || [ "$width" -lt 300 ] || [ "$height" -lt 300 ]; then
    echo "screenshot is not the dialog: ${size:-no picture}"
    failed=1
fi
for want in 'ui: 1009=Velmor' 'ResetStats0 1 "UA9XYZ" -> 1'; do
    tr -d '\r' < "$log" | grep -qxF "$want" || { echo "missing: $want"; failed=1; }
done
if tr -d '\r' < "$log" | grep -qE '^ui: (error|steps left|unexpected)'; then failed=1; fi
[ "$status" = 0 ] || { echo "stats-host ended with status $status"; failed=1; }
if [ "$failed" != 0 ]; then
    cat "$log"
    exit 1
fi
echo "screenshot: $artifacts/station-dialog.png (${width}x${height})"

#!/usr/bin/env bash
# Runs one scripted host session against the real Stats.dll in a fresh folder and checks its output.
#
# Usage: run_session.sh BIN_DIR DATA_DIR ARTIFACT_DIR NAME
#   BIN_DIR       folder with stats-host.exe and Stats.dll
#   DATA_DIR      folder with NAME.script, NAME.expect and optionally NAME.ini
#   ARTIFACT_DIR  the transcript is kept there as dialog-NAME.log
#
# The session runs in its own temporary folder (the host's current folder) with a Plugins
# subfolder holding Stats.dll and, when NAME.ini exists, a copy of it as Plugins/VARDO.ini.
#
# NAME.expect, one rule per line (blank lines and lines starting with '#' are skipped):
#   TEXT    a line of the transcript equal to TEXT, after the line matched by the rule before
#   !TEXT   no line of the transcript contains TEXT
set -uo pipefail
bin=$1 data=$2 artifacts=$3 name=$4
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# Where the host cannot run here (a 32-bit one on some machines) the line says why: skipped.
"$top/scripts/wine-run.sh" --can-run "$bin/stats-host.exe" || exit 77

work=$(mktemp -d "${TMPDIR:-/tmp}/velmor-dialog-$name.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/Plugins" "$artifacts"
cp "$bin/Stats.dll" "$work/Plugins/"
[ -f "$data/$name.ini" ] && cp "$data/$name.ini" "$work/Plugins/VARDO.ini"
cp "$data/$name.script" "$work/session.script"

log="$artifacts/dialog-$name.log"
(cd "$work" && "$top/scripts/wine-run.sh" "$bin/stats-host.exe" 'Plugins\Stats.dll' -f session.script) \
    2>&1 | tr -d '\r' > "$log"
status=${PIPESTATUS[0]}

mapfile -t out < "$log"
failed=0
pos=0
while IFS= read -r rule || [ -n "$rule" ]; do
    rule=${rule%$'\r'}
    [ -z "$rule" ] || [ "${rule:0:1}" = "#" ] && continue
    if [ "${rule:0:1}" = "!" ]; then
        for line in "${out[@]}"; do
            if [[ "$line" == *"${rule:1}"* ]]; then
                echo "unwanted: $line"
                failed=1
            fi
        done
        continue
    fi
    found=0
    while [ "$pos" -lt "${#out[@]}" ]; do
        line=${out[$pos]}
        pos=$((pos + 1))
        if [ "$line" == "$rule" ]; then found=1; break; fi
    done
    if [ "$found" = 0 ]; then
        echo "missing (in this order): $rule"
        failed=1
        break
    fi
done < "$data/$name.expect"

if [ "$status" != 0 ]; then
    echo "stats-host ended with status $status"
    failed=1
fi
if [ "$failed" != 0 ]; then
    echo "---- transcript ($log)"
    cat "$log"
    exit 1
fi
echo "session $name: as expected"
